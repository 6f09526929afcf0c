#include "codec/pcx/PcxCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/MemoryPictureFile.h"
#include "codec/tga/tests/MagickReference.h"
#include "tools/testsupport/TempDir.h"

namespace {

Picture Plain() { return magick::Sample24(); }
Picture Alpha() { return magick::SampleWithAlpha(); }
Picture Palette40() { return magick::SamplePalette(13, 7, 40); }
Picture Grey() { return magick::SampleGrey(); }

struct WrittenCase {
  const char* name;
  Picture (*sample)();
  std::vector<std::string> args;
};

class PcxFromMagick : public testing::TestWithParam<WrittenCase> {};

TEST_P(PcxFromMagick, DecodesTheSamePixels) {
  const WrittenCase& c = GetParam();
  testsupport::TempDir dir;
  magick::WritePam(c.sample(), dir / "in.pam");
  std::vector<std::string> args = {(dir / "in.pam").string()};
  args.insert(args.end(), c.args.begin(), c.args.end());
  args.push_back("pcx:" + (dir / "out.pcx").string());
  int status = -1;
  magick::Run(args, &status);
  ASSERT_EQ(status, 0);

  PcxCodec codec;
  ASSERT_TRUE(magick::DecodeBytes(testsupport::ReadFileBytes(dir / "out.pcx"), codec)) << codec.LastError();
  EXPECT_EQ(magick::Of(codec), magick::Read(dir / "out.pcx"));
}

INSTANTIATE_TEST_SUITE_P(
    Variants, PcxFromMagick,
    testing::Values(WrittenCase{"rgb_planes", Plain, {"-alpha", "off"}},
                    WrittenCase{"rgba_planes", Alpha, {}},
                    WrittenCase{"palette", Palette40, {"-alpha", "off", "-type", "Palette"}},
                    WrittenCase{"two_colours", Plain, {"-alpha", "off", "-colors", "2"}},
                    WrittenCase{"grey", Grey, {"-alpha", "off", "-type", "Grayscale"}}),
    [](const testing::TestParamInfo<WrittenCase>& info) { return std::string(info.param.name); });

// A PCX header; the palette holds up to 16 RGB entries.
std::string Header(int bits, int planes, int width, int height, int bytes_per_line,
                   const std::string& palette = "", int version = 5, int encoding = 1) {
  std::string h(128, '\0');
  h[0] = 0x0A;
  h[1] = static_cast<char>(version);
  h[2] = static_cast<char>(encoding);
  h[3] = static_cast<char>(bits);
  h[8] = static_cast<char>(width - 1);
  h[10] = static_cast<char>(height - 1);
  h.replace(16, palette.size(), palette);
  h[65] = static_cast<char>(planes);
  h[66] = static_cast<char>(bytes_per_line);
  h[68] = 1;
  return h;
}

std::string Palette16() {
  std::string out;
  for (int i = 0; i < 16; ++i)
    out += {static_cast<char>(i * 16), static_cast<char>(255 - i * 16), static_cast<char>(i * 40)};
  return out;
}

struct CraftedCase {
  const char* name;
  std::string bytes;
};

class PcxCrafted : public testing::TestWithParam<CraftedCase> {};

// ImageMagick is the reference reader for these hand-made files.
TEST_P(PcxCrafted, MatchesMagick) {
  const CraftedCase& c = GetParam();
  testsupport::TempDir dir;
  auto path = dir.WriteFile("crafted.pcx", c.bytes);
  PcxCodec codec;
  ASSERT_TRUE(magick::DecodeBytes(c.bytes, codec)) << codec.LastError();
  EXPECT_EQ(magick::Of(codec), magick::Read(path));
}

INSTANTIATE_TEST_SUITE_P(
    Variants, PcxCrafted,
    testing::Values(
        // Sixteen colours in four bit planes, two lines.
        CraftedCase{
            "ega_planes",
            Header(1, 4, 8, 2, 2, Palette16()) +
                std::string("\x0F\x00\x33\x00\x55\x00\xC1\xFF\x00\xC1\xF0\x00\x3C\x00\xAA\x00\x01\x00", 18)},
        // Sixteen colours packed two pixels a byte, not compressed.
        CraftedCase{"four_bit_packed",
                    Header(4, 1, 8, 1, 4, Palette16(), 5, 0) + std::string("\x01\x23\x4A\xBF", 4)},
        // A run that goes on from the red plane into the green one.
        CraftedCase{"run_across_planes", Header(8, 3, 2, 1, 2) + std::string("\x10\xC3\x20\x30\x40", 5)}),
    [](const testing::TestParamInfo<CraftedCase>& info) { return std::string(info.param.name); });

// NOTE: ImageMagick reads every 1-bit file as 0 = white, 1 = black and ignores
// the header palette, so monochrome files are checked against known colours.
TEST(PcxCodec, MonochromeUsesTheHeaderColoursOrBlackAndWhite) {
  struct Case {
    std::string palette;
    std::string expected_first_two;  // RGBA of pixels 0 (bit 0) and 1 (bit 1)
  } cases[] = {
      {std::string("\xFF\x00\x00\x00\xFF\x00", 6), std::string("\xFF\x00\x00\xFF\x00\xFF\x00\xFF", 8)},
      {std::string(6, '\0'), std::string("\x00\x00\x00\xFF\xFF\xFF\xFF\xFF", 8)},
  };
  for (const Case& c : cases) {
    PcxCodec codec;
    ASSERT_TRUE(magick::DecodeBytes(Header(1, 1, 8, 1, 2, c.palette) + std::string("\x55\x00", 2), codec));
    EXPECT_EQ(codec.BitsPerPixel(), 1);
    EXPECT_EQ(magick::Of(codec).bytes.substr(0, 8), c.expected_first_two);
  }
}

// ImageMagick shows such a file black; grey keeps the picture visible.
TEST(PcxCodec, EightBitsWithoutTheTrailingPaletteReadAsGrey) {
  PcxCodec codec;
  ASSERT_TRUE(magick::DecodeBytes(Header(8, 1, 3, 1, 4) + std::string("\x00\x7F\xC1\xC8\x00", 5), codec));
  EXPECT_EQ(magick::Of(codec).bytes, std::string("\x00\x00\x00\xFF\x7F\x7F\x7F\xFF\xC8\xC8\xC8\xFF", 12));
}

struct EncodeCase {
  const char* name;
  Picture (*sample)();
};

class PcxToMagick : public testing::TestWithParam<EncodeCase> {};

TEST_P(PcxToMagick, MagickReadsTheSamePixels) {
  PcxCodec codec;
  Picture source = GetParam().sample();
  codec.Swap(source);
  MemoryPictureFile sink;
  ASSERT_TRUE(codec.Encode(sink)) << codec.LastError();
  testsupport::TempDir dir;
  auto path = dir.WriteFile("ours.pcx", std::string(sink.Buffer().begin(), sink.Buffer().end()));
  EXPECT_EQ(magick::Read(path), magick::Of(codec));

  PcxCodec back;
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

// Long runs (above the 63-byte limit of one run) and bytes that look like run counts.
Picture Runs() {
  Picture p;
  p.Create(150, 2, 24);
  for (int x = 0; x < 150; ++x) p.Row(1)[x * 3] = static_cast<uint8_t>(x < 100 ? 0xC5 : x);
  return p;
}

INSTANTIATE_TEST_SUITE_P(Variants, PcxToMagick,
                         testing::Values(EncodeCase{"rgb", Plain}, EncodeCase{"rgba", Alpha},
                                         EncodeCase{"palette", Palette40}, EncodeCase{"grey", Grey},
                                         EncodeCase{"four_bit", FourBit}, EncodeCase{"keyed", Keyed},
                                         EncodeCase{"runs", Runs}),
                         [](const testing::TestParamInfo<EncodeCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(PcxCodec, MonochromeRoundTripKeepsTheColours) {
  Picture p;
  p.Create(11, 2, 1);
  p.Palette()[0] = RgbQuad{0, 0, 200, 0};
  p.Palette()[1] = RgbQuad{10, 220, 30, 0};
  p.Row(0)[0] = 0xA5;
  p.Row(1)[1] = 0xE0;
  PcxCodec codec;
  codec.Swap(p);
  MemoryPictureFile sink;
  ASSERT_TRUE(codec.Encode(sink));
  EXPECT_EQ(sink.Buffer()[3], 1);   // one bit a pixel
  EXPECT_EQ(sink.Buffer()[65], 1);  // in one plane
  PcxCodec back;
  ASSERT_TRUE(magick::DecodeBytes(std::string(sink.Buffer().begin(), sink.Buffer().end()), back));
  EXPECT_EQ(magick::Of(back), magick::Of(codec));
}

class PcxRefuses : public testing::TestWithParam<CraftedCase> {};

TEST_P(PcxRefuses, WithAnErrorAndNoPixels) {
  PcxCodec codec;
  EXPECT_FALSE(magick::DecodeBytes(GetParam().bytes, codec));
  EXPECT_FALSE(codec.HasPixels());
  EXPECT_FALSE(codec.LastError().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Headers, PcxRefuses,
    testing::Values(CraftedCase{"short", Header(8, 3, 2, 1, 2).substr(0, 100)},
                    CraftedCase{"not_pcx", "\x0B" + Header(8, 3, 2, 1, 2).substr(1) + "abcdef"},
                    CraftedCase{"bad_version", Header(8, 3, 2, 1, 2, "", 1) + "abcdef"},
                    CraftedCase{"bad_encoding", Header(8, 3, 2, 1, 2, "", 5, 2) + "abcdef"},
                    CraftedCase{"two_planes_of_bytes", Header(8, 2, 2, 1, 2) + "abcdef"},
                    CraftedCase{"line_too_short", Header(8, 3, 4, 1, 3) + std::string(12, 'a')},
                    CraftedCase{"window_reversed",
                                [] {
                                  std::string h = Header(8, 1, 2, 1, 2);
                                  h[4] = 5;  // x_min past x_max
                                  return h + "abcdef";
                                }()},
                    CraftedCase{"data_truncated", Header(8, 3, 4, 4, 4) + std::string("\xC5\x01\x02", 3)},
                    CraftedCase{"text", "\nThis is a text file that starts with an empty line.\n" +
                                            std::string(100, 'x')}),
    [](const testing::TestParamInfo<CraftedCase>& info) { return std::string(info.param.name); });

TEST(PcxCodec, ClipsARunPastTheLastLine) {
  PcxCodec codec;
  ASSERT_TRUE(magick::DecodeBytes(Header(8, 3, 1, 1, 1) + std::string("\xFF\x40", 2), codec))
      << codec.LastError();
  EXPECT_EQ(magick::Of(codec).bytes, std::string("\x40\x40\x40\xFF", 4));
}

TEST(PcxCodec, DetectionFindsPcx) {
  PcxCodec codec;
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
