#include "codec/tga/TgaCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "codec/MemoryPictureFile.h"
#include "codec/tga/tests/MagickReference.h"
#include "tools/testsupport/TempDir.h"

namespace {

using magick::Rgba;

// One variant ImageMagick writes, from one of the sample pictures.
struct WrittenCase {
  const char* name;
  Picture (*sample)();
  std::vector<std::string> args;
  int expected_bits;
  bool expected_alpha;
};

Picture Plain() { return magick::Sample24(); }
Picture Alpha() { return magick::SampleWithAlpha(); }
Picture Palette40() { return magick::SamplePalette(13, 7, 40); }
Picture Grey() { return magick::SampleGrey(); }

class TgaFromMagick : public testing::TestWithParam<WrittenCase> {};

TEST_P(TgaFromMagick, DecodesTheSamePixels) {
  const WrittenCase& c = GetParam();
  testsupport::TempDir dir;
  magick::WritePam(c.sample(), dir / "in.pam");
  std::vector<std::string> args = {(dir / "in.pam").string()};
  args.insert(args.end(), c.args.begin(), c.args.end());
  args.push_back("tga:" + (dir / "out.tga").string());
  int status = -1;
  magick::Run(args, &status);
  ASSERT_EQ(status, 0);

  TgaCodec codec;
  ASSERT_TRUE(magick::DecodeBytes(testsupport::ReadFileBytes(dir / "out.tga"), codec)) << codec.LastError();
  EXPECT_EQ(codec.BitsPerPixel(), c.expected_bits);
  EXPECT_EQ(codec.HasAlpha(), c.expected_alpha);
  EXPECT_EQ(magick::Of(codec), magick::Read(dir / "out.tga"));
}

// ImageMagick writes rows in memory order and labels them with the picture's
// orientation, so a bottom-up file is written from a flipped picture.
const std::vector<std::string> kBottomUp = {"-flip", "-orient", "BottomLeft"};
const std::vector<std::string> kTopDown = {"-orient", "TopLeft"};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

INSTANTIATE_TEST_SUITE_P(
    Variants, TgaFromMagick,
    testing::Values(
        WrittenCase{"true24", Plain, Join({"-alpha", "off", "-compress", "None"}, kBottomUp), 24, false},
        WrittenCase{"true24_top_down", Plain, Join({"-alpha", "off", "-compress", "None"}, kTopDown), 24,
                    false},
        WrittenCase{"true24_rle", Plain, Join({"-alpha", "off", "-compress", "RLE"}, kBottomUp), 24, false},
        WrittenCase{"true32", Alpha, Join({"-compress", "None"}, kBottomUp), 24, true},
        WrittenCase{"true32_rle_top_down", Alpha, Join({"-compress", "RLE"}, kTopDown), 24, true},
        WrittenCase{"palette", Palette40,
                    Join({"-alpha", "off", "-type", "Palette", "-compress", "None"}, kBottomUp), 8, false},
        WrittenCase{"palette_rle", Palette40,
                    Join({"-alpha", "off", "-type", "Palette", "-compress", "RLE"}, kTopDown), 8, false},
        WrittenCase{"grey", Grey,
                    Join({"-alpha", "off", "-type", "Grayscale", "-compress", "None"}, kBottomUp), 8, false},
        WrittenCase{"grey_rle", Grey,
                    Join({"-alpha", "off", "-type", "Grayscale", "-compress", "RLE"}, kBottomUp), 8, false}),
    [](const testing::TestParamInfo<WrittenCase>& info) { return std::string(info.param.name); });

// Builds TGA files by hand for the variants ImageMagick does not write.
std::string Header(int type, int bits, int descriptor, int width, int height, int map_first = 0,
                   int map_length = 0, int map_bits = 0) {
  uint8_t h[18] = {};
  h[1] = map_length ? 1 : 0;
  h[2] = static_cast<uint8_t>(type);
  h[3] = map_first & 0xFF;
  h[5] = map_length & 0xFF;
  h[6] = map_length >> 8;
  h[7] = static_cast<uint8_t>(map_bits);
  h[12] = static_cast<uint8_t>(width);
  h[14] = static_cast<uint8_t>(height);
  h[16] = static_cast<uint8_t>(bits);
  h[17] = static_cast<uint8_t>(descriptor);
  return std::string(reinterpret_cast<char*>(h), 18);
}

std::string Le16s(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
  return out;
}

struct CraftedCase {
  const char* name;
  std::string bytes;
};

class TgaCrafted : public testing::TestWithParam<CraftedCase> {};

// ImageMagick is the reference reader for these hand-made files.
TEST_P(TgaCrafted, MatchesMagick) {
  const CraftedCase& c = GetParam();
  testsupport::TempDir dir;
  auto path = dir.WriteFile("crafted.tga", c.bytes);
  TgaCodec codec;
  ASSERT_TRUE(magick::DecodeBytes(c.bytes, codec)) << codec.LastError();
  EXPECT_EQ(magick::Of(codec), magick::Read(path));
}

// Sixteen-bit values covering every 5-bit level and both attribute bits.
std::string SixteenBitPixels() {
  std::string out;
  for (int v = 0; v < 32; ++v) out += Le16s({v | (v << 5) * (v & 1) | (31 - v) << 10 | (v & 2) << 14});
  return out;
}

const std::string kRgbRows = std::string("\x01\x02\x03\x10\x20\x30\x40\x50\x60", 9) +
                             std::string("\x70\x80\x90\xA0\xB0\xC0\xD0\xE0\xF0", 9);

INSTANTIATE_TEST_SUITE_P(
    Variants, TgaCrafted,
    testing::Values(CraftedCase{"sixteen_opaque", Header(2, 16, 0, 8, 4) + SixteenBitPixels()},
                    CraftedCase{"sixteen_alpha_bit", Header(2, 16, 1, 8, 4) + SixteenBitPixels()},
                    CraftedCase{"fifteen", Header(2, 15, 0, 8, 4) + SixteenBitPixels()},
                    CraftedCase{"top_down", Header(2, 24, 0x20, 3, 2) + kRgbRows},
                    CraftedCase{"right_to_left", Header(2, 24, 0x10, 3, 2) + kRgbRows},
                    CraftedCase{"top_down_right_to_left", Header(2, 24, 0x30, 3, 2) + kRgbRows},
                    // A colour map of 16-bit entries starting at index 5.
                    CraftedCase{"map_offset_16bit", Header(1, 8, 0, 3, 1, 5, 2, 16) +
                                                        Le16s({0x7C00, 0x03E0}) +
                                                        std::string("\x05\x06\x05", 3)},
                    // An RLE packet that runs on from the first row into the second.
                    CraftedCase{"rle_across_rows", Header(10, 24, 0, 2, 2) +
                                                       std::string("\x82\x10\x20\x30\x00\x01\x02\x03", 8)}),
    [](const testing::TestParamInfo<CraftedCase>& info) { return std::string(info.param.name); });

struct EncodeCase {
  const char* name;
  Picture (*sample)();
  bool rle;
};

class TgaToMagick : public testing::TestWithParam<EncodeCase> {};

TEST_P(TgaToMagick, MagickReadsTheSamePixels) {
  const EncodeCase& c = GetParam();
  TgaCodec codec;
  Picture source = c.sample();
  codec.Swap(source);
  codec.SetRunLengthEncoding(c.rle);
  MemoryPictureFile sink;
  ASSERT_TRUE(codec.Encode(sink)) << codec.LastError();
  testsupport::TempDir dir;
  auto path = dir.WriteFile("ours.tga", std::string(sink.Buffer().begin(), sink.Buffer().end()));
  EXPECT_EQ(magick::Read(path), magick::Of(codec));

  // And our own decoder reads it back unchanged.
  TgaCodec back;
  ASSERT_TRUE(magick::DecodeBytes(testsupport::ReadFileBytes(path), back)) << back.LastError();
  EXPECT_EQ(magick::Of(back), magick::Of(codec));
}

Picture Keyed() {
  Picture p = magick::SamplePalette();
  p.SetTransparentIndex(1);
  return p;
}

Picture FourBit() {
  Picture p;
  p.Create(9, 3, 4);
  for (int i = 0; i < 16; ++i) p.Palette()[i] = RgbQuad{static_cast<uint8_t>(i * 16), 7, 200, 0};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 9; x += 2)
      p.Row(y)[x / 2] = static_cast<uint8_t>(((x + y) & 15) << 4 | ((x + 1) & 15));
  return p;
}

// A row long enough for runs and literal stretches above the 128-pixel packet limit.
Picture Wide() {
  Picture p;
  p.Create(300, 2, 24);
  for (int x = 150; x < 300; ++x) p.Row(1)[x * 3] = static_cast<uint8_t>(x);
  return p;
}

INSTANTIATE_TEST_SUITE_P(
    Variants, TgaToMagick,
    testing::Values(EncodeCase{"true24_rle", Plain, true}, EncodeCase{"true24_raw", Plain, false},
                    EncodeCase{"alpha_rle", Alpha, true}, EncodeCase{"alpha_raw", Alpha, false},
                    EncodeCase{"palette_rle", Palette40, true}, EncodeCase{"palette_raw", Palette40, false},
                    EncodeCase{"grey_rle", Grey, true}, EncodeCase{"keyed_palette", Keyed, true},
                    EncodeCase{"four_bit", FourBit, false}, EncodeCase{"wide_rle", Wide, true}),
    [](const testing::TestParamInfo<EncodeCase>& info) { return std::string(info.param.name); });

TEST(TgaCodec, EncodesGreyAsGreyAndPaletteAsColourMapped) {
  for (auto [sample, type] : {std::pair{&Grey, 11}, std::pair{&Palette40, 9}, std::pair{&Plain, 10}}) {
    TgaCodec codec;
    Picture source = sample();
    codec.Swap(source);
    MemoryPictureFile sink;
    ASSERT_TRUE(codec.Encode(sink));
    EXPECT_EQ(sink.Buffer()[2], type);
  }
}

struct RefusedCase {
  const char* name;
  std::string bytes;
};

class TgaRefuses : public testing::TestWithParam<RefusedCase> {};

TEST_P(TgaRefuses, WithAnErrorAndNoPixels) {
  TgaCodec codec;
  EXPECT_FALSE(magick::DecodeBytes(GetParam().bytes, codec));
  EXPECT_FALSE(codec.HasPixels());
  EXPECT_FALSE(codec.LastError().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Headers, TgaRefuses,
    testing::Values(RefusedCase{"short", std::string("\0\0\2\0\0", 5)},
                    RefusedCase{"no_image", Header(0, 24, 0, 1, 1) + "abc"},
                    RefusedCase{"unknown_type", Header(4, 24, 0, 1, 1) + "abc"},
                    RefusedCase{"zero_width", Header(2, 24, 0, 0, 1) + "abc"},
                    RefusedCase{"interleaved", Header(2, 24, 0x40, 1, 1) + "abc"},
                    RefusedCase{"odd_depth", Header(2, 20, 0, 1, 1) + "abc"},
                    RefusedCase{"alpha_bits_on_24", Header(2, 24, 8, 1, 1) + "abc"},
                    RefusedCase{"mapped_without_map", Header(1, 8, 0, 1, 1) + "a"},
                    RefusedCase{"map_past_256", Header(1, 8, 0, 1, 1, 200, 100, 24) + std::string(301, 'x')},
                    RefusedCase{"map_fields_without_map",
                                [] {
                                  std::string h = Header(2, 24, 0, 1, 1) + "abc";
                                  h[5] = 3;
                                  return h;
                                }()},
                    RefusedCase{"raw_truncated", Header(2, 24, 0, 4, 4) + "abcdef"},
                    RefusedCase{"rle_truncated",
                                Header(10, 24, 0, 4, 4) + std::string("\x83\x01\x02\x03\x05", 5)},
                    RefusedCase{"text", std::string("Hello, this is a plain text file, not a picture.\n")}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(TgaCodec, ClipsARunPastTheLastPixel) {
  // One packet of 128 pixels for a 2 × 1 image.
  std::string bytes = Header(10, 24, 0, 2, 1) + std::string("\xFF\x11\x22\x33", 4);
  TgaCodec codec;
  ASSERT_TRUE(magick::DecodeBytes(bytes, codec)) << codec.LastError();
  EXPECT_EQ(magick::Of(codec).bytes, std::string("\x33\x22\x11\xFF\x33\x22\x11\xFF", 8));
}

TEST(TgaCodec, ThirtyTwoBitsWithoutAlphaBitsAndZeroAlphaIsOpaque) {
  std::string bytes = Header(2, 32, 0, 1, 1) + std::string("\x10\x20\x30\x00", 4);
  TgaCodec codec;
  ASSERT_TRUE(magick::DecodeBytes(bytes, codec));
  EXPECT_FALSE(codec.HasAlpha());
}

TEST(TgaCodec, DetectionFindsTgaAfterTheStrongFormats) {
  TgaCodec codec;
  Picture source = magick::Sample24();
  codec.Swap(source);
  MemoryPictureFile sink;
  ASSERT_TRUE(codec.Encode(sink));
  Picture detected;
  ASSERT_TRUE(detected.LoadFromMemory(sink.Buffer().data(), sink.Buffer().size(), kImageUnknown))
      << detected.LastError();
  EXPECT_EQ(magick::Of(detected), magick::Of(codec));
}

}  // namespace
