#include "tools/album-service/Crypto.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>
#include <vector>

namespace albumservice {
namespace {

std::string Hex(const unsigned char* bytes, size_t count) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(count * 2);
  for (size_t i = 0; i < count; ++i) {
    out.push_back(kHex[bytes[i] >> 4]);
    out.push_back(kHex[bytes[i] & 15]);
  }
  return out;
}

std::string Digest(const EVP_MD* kind, std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, kind, nullptr) != 1)
    throw std::runtime_error("digest failed");
  return Hex(digest, length);
}

}  // namespace

std::string Md5Hex(std::string_view bytes) { return Digest(EVP_md5(), bytes); }

std::string Sha256Hex(std::string_view bytes) { return Digest(EVP_sha256(), bytes); }

std::string RandomHex(size_t byte_count) {
  std::vector<unsigned char> bytes(byte_count);
  if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1)
    throw std::runtime_error("no random bytes");
  return Hex(bytes.data(), bytes.size());
}

}  // namespace albumservice
