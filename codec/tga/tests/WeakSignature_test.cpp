// TGA, PCX and WMF have weak or no signatures and are tried last in
// detection; their header checks must keep other files from being taken for
// them.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "codec/MemoryPictureFile.h"
#include "codec/pcx/PcxCodec.h"
#include "codec/tga/TgaCodec.h"
#include "codec/wmf/WmfCodec.h"
#include "tools/testsupport/TempDir.h"

namespace {

template <class Codec>
bool Accepts(const std::string& bytes) {
  MemoryPictureFile file(bytes.data(), bytes.size());
  Codec codec;
  return codec.Decode(file);
}

TEST(WeakSignatures, RandomBytesAreNeverTakenForAPicture) {
  std::mt19937 random(20240607);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 20000; ++round) {
    std::string bytes(512 + round % 512, '\0');
    for (char& c : bytes) c = static_cast<char>(byte(random));
    // Give the formats their first byte now and then, so the later checks are exercised too.
    if (round % 4 == 1) bytes[0] = 0x0A;
    if (round % 4 == 2) bytes[1] = 0, bytes[2] = 2;
    ASSERT_FALSE(Accepts<TgaCodec>(bytes)) << "round " << round;
    ASSERT_FALSE(Accepts<PcxCodec>(bytes)) << "round " << round;
    ASSERT_FALSE(Accepts<WmfCodec>(bytes)) << "round " << round;
  }
}

TEST(WeakSignatures, CommonNonPictureFilesAreRefused) {
  for (const char* path : {"/bin/sh", "/etc/passwd", "/etc/services", TESSEL_SOURCE_DIR "/CMakeLists.txt"}) {
    std::string bytes = testsupport::ReadFileBytes(path);
    if (bytes.empty()) continue;
    EXPECT_FALSE(Accepts<TgaCodec>(bytes)) << path;
    EXPECT_FALSE(Accepts<PcxCodec>(bytes)) << path;
    EXPECT_FALSE(Accepts<WmfCodec>(bytes)) << path;
  }
}

}  // namespace
