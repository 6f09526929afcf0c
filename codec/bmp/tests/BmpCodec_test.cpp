#include "codec/bmp/BmpCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "codec/MemoryPictureFile.h"
#include "codec/Picture.h"
#include "codec/tests/MagickTool.h"
#include "tools/testsupport/TempDir.h"

namespace {

uint32_t U32At(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

struct MagickVariant {
  const char* name;
  const char* options;  // convert options and output format prefix
  bool with_alpha;      // from a source with transparency
  int bit_count;        // what the written file must hold
  uint32_t compression;
};

class BmpMagickTest : public ::testing::TestWithParam<MagickVariant> {};

// Every variant ImageMagick writes decodes to exactly the pixels it reads back.
TEST_P(BmpMagickTest, DecodesLikeImageMagick) {
  const MagickVariant& v = GetParam();
  testsupport::TempDir dir;
  std::string source = (dir / "source.pam").string(), file = (dir / "out.bmp").string();
  ASSERT_TRUE(magick::WritePam(source, magick::Pattern(37, 23, v.with_alpha), v.with_alpha));
  ASSERT_TRUE(magick::Convert("'" + source + "' " + v.options + "'" + file + "'"));
  std::string bytes = testsupport::ReadFileBytes(file);
  ASSERT_GT(bytes.size(), 54u);
  if (U32At(bytes, 14) != 12) {
    EXPECT_EQ(bytes[28] | (bytes[29] << 8), v.bit_count);
    EXPECT_EQ(U32At(bytes, 30), v.compression);
  }
  magick::Image reference;
  ASSERT_TRUE(magick::Read(file, reference));
  Picture picture;
  ASSERT_TRUE(picture.LoadFromFile(file, kImageBmp)) << picture.LastError();
  magick::Difference d = magick::Compare(picture, reference);
  EXPECT_TRUE(d.same_size);
  EXPECT_EQ(d.max, 0);
  EXPECT_EQ(d.alpha_max, 0);
  EXPECT_EQ(picture.HasAlpha(), v.with_alpha);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, BmpMagickTest,
    ::testing::Values(MagickVariant{"rgb24", "-type TrueColor bmp3:", false, 24, 0},
                      MagickVariant{"pal8", "-type Palette -compress None bmp3:", false, 8, 0},
                      MagickVariant{"rle8", "-type Palette -compress RLE bmp3:", false, 8, 1},
                      MagickVariant{"pal4", "-colors 16 -type Palette -compress None bmp3:", false, 4, 0},
                      MagickVariant{"mono", "-type Bilevel bmp3:", false, 1, 0},
                      MagickVariant{"rgb565", "-define bmp:subtype=RGB565 bmp:", false, 16, 3},
                      MagickVariant{"rgb555", "-define bmp:subtype=RGB555 bmp:", false, 16, 3},
                      MagickVariant{"argb32v5", "bmp:", true, 32, 3},
                      MagickVariant{"argb32plain", "-define bmp3:alpha=true bmp3:", true, 32, 0},
                      MagickVariant{"core24", "bmp2:", false, 24, 0},
                      MagickVariant{"core8", "-type Palette bmp2:", false, 8, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct EncodeCase {
  const char* name;
  int bits;
  bool with_alpha;
};

class BmpEncodeTest : public ::testing::TestWithParam<EncodeCase> {};

// What we write, ImageMagick reads back with the same pixels.
TEST_P(BmpEncodeTest, ImageMagickReadsWhatWeWrite) {
  const EncodeCase& c = GetParam();
  testsupport::TempDir dir;
  Picture picture = magick::ToPicture(magick::Pattern(29, 17, c.with_alpha), c.with_alpha);
  if (c.bits < 24) {
    // A palette picture: indices from the pattern, a palette of distinct colours.
    Picture indexed;
    ASSERT_TRUE(indexed.Create(29, 17, c.bits));
    int colours = 1 << c.bits;
    for (int i = 0; i < colours; ++i)
      indexed.Palette()[i] = RgbQuad{uint8_t(i * 37), uint8_t(255 - i), uint8_t(i * 11), 0};
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 29; ++x) {
        int index = (x * 7 + y * 3) % colours;
        uint8_t* row = indexed.Row(y);
        if (c.bits == 8) row[x] = uint8_t(index);
        if (c.bits == 4) row[x / 2] |= uint8_t(index << ((x & 1) ? 0 : 4));
        if (c.bits == 1) row[x / 8] |= uint8_t(index << (7 - x % 8));
      }
    picture = indexed;
  }
  std::string file = (dir / "ours.bmp").string();
  ASSERT_TRUE(picture.SaveToFile(file, kImageBmp)) << picture.LastError();
  magick::Image reference;
  ASSERT_TRUE(magick::Read(file, reference));
  magick::Difference d = magick::Compare(picture, reference);
  EXPECT_TRUE(d.same_size);
  EXPECT_EQ(d.max, 0);
  EXPECT_EQ(d.alpha_max, 0);
  // And our own decoder gives the picture back.
  Picture back;
  ASSERT_TRUE(back.LoadFromFile(file, kImageBmp));
  EXPECT_EQ(back.BitsPerPixel(), c.bits);
  EXPECT_EQ(magick::Compare(back, reference).max, 0);
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpEncodeTest,
                         ::testing::Values(EncodeCase{"mono", 1, false}, EncodeCase{"pal4", 4, false},
                                           EncodeCase{"pal8", 8, false}, EncodeCase{"rgb24", 24, false},
                                           EncodeCase{"argb32", 24, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A tiny BMP builder for cases no tool writes: RLE4, top-down rows, bad headers.
std::vector<uint8_t> MakeBmp(int width, int height, int bits, uint32_t compression,
                             const std::vector<uint8_t>& palette_bgr0, const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> out(54);
  uint32_t offset = 54 + static_cast<uint32_t>(palette_bgr0.size());
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&out[at], &v, 4); };
  out[0] = 'B', out[1] = 'M';
  put32(2, offset + static_cast<uint32_t>(pixels.size()));
  put32(10, offset);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  out[26] = 1;
  out[28] = static_cast<uint8_t>(bits);
  put32(30, compression);
  put32(46, static_cast<uint32_t>(palette_bgr0.size() / 4));
  out.insert(out.end(), palette_bgr0.begin(), palette_bgr0.end());
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

const std::vector<uint8_t> kFourColours = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};

// RLE4 with an encoded run, an absolute run, a delta and end markers; the
// skipped pixels keep index 0 and a run past the row end is clipped.
TEST(BmpRle, FourBitRunsDeltasAndClipping) {
  std::vector<uint8_t> rle = {5, 0x12,              // bottom row: 1 2 1 2 1 (one pixel clipped: width 4)
                              0, 0,                 // end of line
                              0, 3,    0x32, 0x10,  // absolute: 3 2 1, padded to 16 bits
                              0, 2,    1,    0,     // delta: one to the right (past the row end), same row
                              0, 1};                // end of bitmap
  std::vector<uint8_t> bytes = MakeBmp(4, 3, 4, 2, kFourColours, rle);
  Picture picture;
  ASSERT_TRUE(picture.LoadFromMemory(bytes.data(), bytes.size(), kImageBmp)) << picture.LastError();
  ASSERT_EQ(picture.BitsPerPixel(), 4);
  auto index = [&](int x, int y) { return (picture.Row(y)[x / 2] >> ((x & 1) ? 0 : 4)) & 15; };
  EXPECT_EQ(index(0, 2), 1);
  EXPECT_EQ(index(1, 2), 2);
  EXPECT_EQ(index(3, 2), 2);
  EXPECT_EQ(index(0, 1), 3);
  EXPECT_EQ(index(2, 1), 1);
  EXPECT_EQ(index(3, 1), 0);
  EXPECT_EQ(index(0, 0), 0);  // the top row was never written
}

// A negative height stores the rows top-down.
TEST(BmpLayout, TopDownRows) {
  // Two rows of two 8-bit pixels, each row padded to four bytes.
  std::vector<uint8_t> pixels = {1, 2, 0, 0, 3, 0, 0, 0};
  std::vector<uint8_t> bytes = MakeBmp(2, -2, 8, 0, kFourColours, pixels);
  Picture picture;
  ASSERT_TRUE(picture.LoadFromMemory(bytes.data(), bytes.size(), kImageBmp));
  uint8_t rgba[4];
  picture.PixelRgba(0, 0, rgba);  // top-left is the first stored pixel: green
  EXPECT_EQ(rgba[1], 255);
  picture.PixelRgba(0, 1, rgba);  // second row first pixel: index 3, white
  EXPECT_EQ(rgba[0] + rgba[1] + rgba[2], 3 * 255);
}

struct BadHeader {
  const char* name;
  size_t at;       // byte offset in the 54-byte header to overwrite
  uint32_t value;  // 32-bit value written there
};

class BmpRejectTest : public ::testing::TestWithParam<BadHeader> {};

// Broken headers are refused without reading (or allocating for) the pixels.
TEST_P(BmpRejectTest, RefusesCleanly) {
  std::vector<uint8_t> bytes = MakeBmp(2, 2, 8, 0, kFourColours, std::vector<uint8_t>(8, 1));
  std::memcpy(&bytes[GetParam().at], &GetParam().value, 4);
  BmpCodec codec;
  MemoryPictureFile file(bytes.data(), bytes.size());
  EXPECT_FALSE(codec.Decode(file));
  EXPECT_FALSE(codec.HasPixels());
  EXPECT_FALSE(codec.LastError().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Headers, BmpRejectTest,
    ::testing::Values(BadHeader{"signature", 0, 0x4D42 ^ 0xFFFF}, BadHeader{"info_size", 14, 41},
                      BadHeader{"zero_width", 18, 0}, BadHeader{"negative_width", 18, 0xFFFFFFFF},
                      BadHeader{"zero_height", 22, 0}, BadHeader{"min_height", 22, 0x80000000},
                      BadHeader{"huge", 18, 30000}, BadHeader{"over_cap", 18, 40000},
                      BadHeader{"planes", 26, 2 | (8 << 16)}, BadHeader{"depth", 26, 1 | (7 << 16)},
                      BadHeader{"rle8_with_24_bits", 26, 1 | (24 << 16)}, BadHeader{"compression", 30, 4},
                      BadHeader{"pixels_past_end", 10, 5000}),
    [](const auto& info) { return std::string(info.param.name); });

// Bit fields that are not one run of bits are refused.
TEST(BmpMasks, NonContiguousMaskIsRefused) {
  std::vector<uint8_t> bytes = MakeBmp(1, 1, 16, 3, {}, {0, 0, 0, 0});
  uint32_t masks[3] = {0xF00F, 0x00F0, 0x0F00};
  bytes.insert(bytes.begin() + 54, reinterpret_cast<uint8_t*>(masks), reinterpret_cast<uint8_t*>(masks) + 12);
  uint32_t offset = 66;
  std::memcpy(&bytes[10], &offset, 4);
  Picture picture;
  EXPECT_FALSE(picture.LoadFromMemory(bytes.data(), bytes.size(), kImageBmp));
}

}  // namespace
