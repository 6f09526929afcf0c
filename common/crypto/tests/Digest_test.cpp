// MD5, SHA-1 and DES checked against the openssl command on inputs of many
// lengths (padding boundaries included) and the standards' published values.
#include <gtest/gtest.h>
#include <stdio.h>

#include <random>
#include <string>

#include "common/crypto/Des.h"
#include "common/crypto/Md5.h"
#include "common/crypto/Sha1.h"
#include "common/text/Hex.h"
#include "tools/testsupport/TempDir.h"

namespace {

// Runs a shell command and returns what it wrote to standard output.
std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

std::string RandomBytes(size_t length, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(length, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

constexpr size_t kLengths[] = {0, 1, 7, 8, 9, 15, 16, 55, 56, 57, 63, 64, 65, 119, 120, 1000, 100003};

class OpensslTest : public testing::Test {
 protected:
  // The first word openssl prints for a digest of the bytes ("-r" format).
  std::string OpensslDigest(const char* algorithm, const std::string& bytes) {
    auto path = dir_.WriteFile("input.bin", bytes);
    std::string out = RunCommand(std::string("openssl dgst -") + algorithm + " -r '" + path.string() + "'");
    return out.substr(0, out.find(' '));
  }
  std::string OpensslDes(const std::string& bytes, const std::string& key, bool decrypt) {
    auto path = dir_.WriteFile("input.bin", bytes);
    std::string command = "openssl enc -des-ecb -nosalt -provider legacy -provider default -K " +
                          common::BytesToHex(key) + (decrypt ? " -d -nopad" : "") + " -in '" + path.string() +
                          "'";
    return RunCommand(command);
  }
  testsupport::TempDir dir_;
};

TEST_F(OpensslTest, Md5AndSha1MatchOpensslOnEveryLength) {
  for (size_t length : kLengths) {
    std::string bytes = RandomBytes(length, static_cast<unsigned>(length));
    EXPECT_EQ(common::Md5Hex(bytes), OpensslDigest("md5", bytes)) << "length " << length;
    EXPECT_EQ(common::Sha1Hex(bytes), OpensslDigest("sha1", bytes)) << "length " << length;
  }
}

TEST_F(OpensslTest, DesMatchesOpensslPaddingAndDecryptsBack) {
  const std::string key = "k7!Qw%P2z&m9X";  // only the first 8 bytes count
  for (size_t length : kLengths) {
    std::string bytes = RandomBytes(length, static_cast<unsigned>(length) + 7);
    std::string cipher = common::DesEncrypt(bytes, key);
    EXPECT_EQ(cipher.size(), length - length % 8 + 8) << "length " << length;
    EXPECT_EQ(cipher, OpensslDes(bytes, key.substr(0, 8), false)) << "length " << length;
    std::string plain = common::DesDecrypt(cipher, key);
    EXPECT_EQ(plain, OpensslDes(cipher, key.substr(0, 8), true));
    std::string padding(cipher.size() - length, static_cast<char>(cipher.size() - length));
    EXPECT_EQ(plain, bytes + padding) << "decryption keeps the padding";
  }
}

TEST(DigestTest, PublishedValuesOfAbc) {
  EXPECT_EQ(common::Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(common::Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(common::Sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(common::Sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
}

TEST(DigestTest, PiecewiseUpdatesEqualOneShot) {
  std::string bytes = RandomBytes(5000, 42);
  for (size_t piece : {1, 3, 63, 64, 65, 200}) {
    common::CMd5 md5;
    common::CSha1 sha1;
    for (size_t at = 0; at < bytes.size(); at += piece) {
      md5.Update(std::string_view(bytes).substr(at, piece));
      sha1.Update(std::string_view(bytes).substr(at, piece));
    }
    EXPECT_EQ(md5.Finish(), common::Md5Digest(bytes)) << "piece " << piece;
    EXPECT_EQ(sha1.Finish(), common::Sha1Digest(bytes)) << "piece " << piece;
  }
}

TEST(DigestTest, FinishStartsOver) {
  common::CMd5 md5;
  md5.Update("junk");
  md5.Finish();
  md5.Update("abc");
  EXPECT_EQ(common::BytesToHex(md5.Finish().data(), 16), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(DigestTest, TextDigestUsesCodePageBytes) {
  // "你" is C4 E3 in GBK.
  EXPECT_EQ(common::Md5HexOfText("\xE4\xBD\xA0"), common::Md5Hex("\xC4\xE3"));
  EXPECT_EQ(common::Md5HexOfText("abc"), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(DesTest, KnownAnswerAndShortKey) {
  // The classic FIPS 81 example: key 0123456789ABCDEF, "Now is t".
  common::CDesKey key(reinterpret_cast<const uint8_t*>("\x01\x23\x45\x67\x89\xAB\xCD\xEF"));
  uint8_t block[8] = {'N', 'o', 'w', ' ', 'i', 's', ' ', 't'};
  key.Encrypt(block);
  EXPECT_EQ(common::BytesToHex(block, 8), "3fa40e8a984d4815");
  key.Decrypt(block);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block), 8), "Now is t");

  EXPECT_EQ(common::DesEncrypt("12345", "short").size(), 0u);
  EXPECT_EQ(common::DesDecrypt("12345678", "").size(), 0u);
  EXPECT_EQ(common::DesEncrypt("12345678", "8bytekey").size(), 16u);
  EXPECT_EQ(common::DesEncrypt("12345", "8bytekey").size(), 8u);
  EXPECT_EQ(common::DesDecrypt("123456789", "8bytekey").size(), 8u) << "a partial block is left out";
}

}  // namespace
