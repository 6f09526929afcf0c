#include "codec/psd/PsdCodec.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "codec/MemoryPictureFile.h"
#include "codec/psd/PsdReader.h"
#include "codec/tga/tests/MagickReference.h"
#include "tools/testsupport/TempDir.h"

namespace {

Picture Plain() { return magick::Sample24(); }
Picture Alpha() { return magick::SampleWithAlpha(); }
Picture Palette40() { return magick::SamplePalette(13, 7, 40); }
Picture Grey() { return magick::SampleGrey(); }
// Wide enough for PackBits packets at their 128-byte limit.
Picture Wide() { return magick::Sample24(300, 3); }

struct WrittenCase {
  const char* name;
  Picture (*sample)();
  std::vector<std::string> args;
  int expected_bits;
  // NOTE: ImageMagick cannot read back the indexed files it writes ("improper
  // image header"), so those are checked against the sample itself.
  bool magick_reads = true;
};

// Writes a sample through ImageMagick in one variant; the path of the result.
std::filesystem::path WriteWithMagick(const testsupport::TempDir& dir, const WrittenCase& c) {
  magick::WritePam(c.sample(), dir / "in.pam");
  std::vector<std::string> args = {(dir / "in.pam").string()};
  args.insert(args.end(), c.args.begin(), c.args.end());
  args.push_back("psd:" + (dir / "out.psd").string());
  int status = -1;
  magick::Run(args, &status);
  EXPECT_EQ(status, 0);
  return dir / "out.psd";
}

class PsdFromMagick : public testing::TestWithParam<WrittenCase> {};

TEST_P(PsdFromMagick, DecodesTheSamePixels) {
  testsupport::TempDir dir;
  auto path = WriteWithMagick(dir, GetParam());
  PsdCodec codec;
  ASSERT_TRUE(magick::DecodeBytes(testsupport::ReadFileBytes(path), codec)) << codec.LastError();
  EXPECT_EQ(codec.BitsPerPixel(), GetParam().expected_bits);
  EXPECT_EQ(magick::Of(codec),
            GetParam().magick_reads ? magick::Read(path) : magick::Of(GetParam().sample()));
}

INSTANTIATE_TEST_SUITE_P(
    Variants, PsdFromMagick,
    testing::Values(
        WrittenCase{"rgb_raw", Plain, {"-alpha", "off", "-depth", "8", "-compress", "None"}, 24},
        WrittenCase{"rgb_packbits", Plain, {"-alpha", "off", "-depth", "8", "-compress", "RLE"}, 24},
        WrittenCase{"rgb_wide_packbits", Wide, {"-alpha", "off", "-depth", "8", "-compress", "RLE"}, 24},
        WrittenCase{"rgb_16bit", Plain, {"-alpha", "off", "-depth", "16", "-compress", "RLE"}, 24},
        WrittenCase{
            "grey_raw", Grey, {"-alpha", "off", "-type", "Grayscale", "-depth", "8", "-compress", "None"}, 8},
        WrittenCase{"grey_packbits",
                    Grey,
                    {"-alpha", "off", "-type", "Grayscale", "-depth", "8", "-compress", "RLE"},
                    8},
        WrittenCase{"palette_raw",
                    Palette40,
                    {"-alpha", "off", "-type", "Palette", "-depth", "8", "-compress", "None"},
                    8,
                    false},
        WrittenCase{"palette_packbits",
                    Palette40,
                    {"-alpha", "off", "-type", "Palette", "-depth", "8", "-compress", "RLE"},
                    8,
                    false}),
    [](const testing::TestParamInfo<WrittenCase>& info) { return std::string(info.param.name); });

struct EncodeCase {
  const char* name;
  Picture (*sample)();
  bool pack_bits;
  // ImageMagick reads no indexed PSD at all; those are checked by our own
  // decoder, which reads ImageMagick's indexed files correctly (see above).
  bool magick_reads = true;
};

class PsdToMagick : public testing::TestWithParam<EncodeCase> {};

// True when two pictures have the same alpha and their colours differ by at
// most tolerance(alpha) at each pixel (transparent pixels have no colour).
template <class Tolerance>
bool SameAlphaAndCloseColours(const magick::Rgba& a, const magick::Rgba& b, Tolerance tolerance) {
  if (a.width != b.width || a.height != b.height || a.bytes.size() != b.bytes.size()) return false;
  for (size_t i = 0; i < a.bytes.size(); i += 4) {
    int alpha = static_cast<uint8_t>(a.bytes[i + 3]);
    if (alpha != static_cast<uint8_t>(b.bytes[i + 3])) return false;
    for (size_t c = 0; alpha > 0 && c < 3; ++c) {
      int diff = std::abs(static_cast<uint8_t>(a.bytes[i + c]) - static_cast<uint8_t>(b.bytes[i + c]));
      if (diff > tolerance(alpha)) return false;
    }
  }
  return true;
}

// What matting over white and taking it out again may cost at an alpha level.
int MattingLoss(int alpha) { return 255 / alpha + 1; }

// NOTE: ImageMagick writes the composite of a transparent picture without
// matting it over white, yet takes white out when reading, so only its alpha
// and its opaque pixels can be compared.
TEST(PsdCodec, TransparencyFromMagickKeepsAlphaAndOpaqueColours) {
  testsupport::TempDir dir;
  auto path = WriteWithMagick(dir, WrittenCase{"rgba", Alpha, {"-depth", "8", "-compress", "RLE"}, 24});
  PsdCodec codec;
  ASSERT_TRUE(magick::DecodeBytes(testsupport::ReadFileBytes(path), codec)) << codec.LastError();
  ASSERT_TRUE(codec.HasAlpha());
  EXPECT_TRUE(SameAlphaAndCloseColours(magick::Of(codec), magick::Read(path),
                                       [](int alpha) { return alpha == 255 ? 0 : 255; }));
}

TEST_P(PsdToMagick, MagickReadsTheSamePixels) {
  const EncodeCase& c = GetParam();
  PsdCodec codec;
  Picture source = c.sample();
  codec.Swap(source);
  codec.SetPackBits(c.pack_bits);
  MemoryPictureFile sink;
  ASSERT_TRUE(codec.Encode(sink)) << codec.LastError();
  testsupport::TempDir dir;
  auto path = dir.WriteFile("ours.psd", std::string(sink.Buffer().begin(), sink.Buffer().end()));
  PsdCodec back;
  ASSERT_TRUE(magick::DecodeBytes(testsupport::ReadFileBytes(path), back)) << back.LastError();
  if (codec.HasAlpha() || codec.TransparentIndex() >= 0) {
    // Both readers take the white matte out; their rounding differs by a level.
    EXPECT_TRUE(SameAlphaAndCloseColours(magick::Read(path), magick::Of(back), [](int) { return 1; }));
    EXPECT_TRUE(SameAlphaAndCloseColours(magick::Of(back), magick::Of(codec), MattingLoss));
  } else {
    if (c.magick_reads) {
      EXPECT_EQ(magick::Read(path), magick::Of(back));
    }
    EXPECT_EQ(magick::Of(back), magick::Of(codec));
  }
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

INSTANTIATE_TEST_SUITE_P(
    Variants, PsdToMagick,
    testing::Values(EncodeCase{"rgb_packbits", Plain, true}, EncodeCase{"rgb_raw", Plain, false},
                    EncodeCase{"wide_packbits", Wide, true}, EncodeCase{"rgba_packbits", Alpha, true},
                    EncodeCase{"rgba_raw", Alpha, false},
                    EncodeCase{"palette_packbits", Palette40, true, false},
                    EncodeCase{"grey_raw", Grey, false}, EncodeCase{"keyed", Keyed, true},
                    EncodeCase{"four_bit", FourBit, true, false}),
    [](const testing::TestParamInfo<EncodeCase>& info) { return std::string(info.param.name); });

// A PSD file by hand: header, colour data, no resources or layers, then the image data.
std::string Psd(int channels, int width, int height, int depth, int mode, const std::string& image,
                const std::string& colour_data = "") {
  auto be16 = [](int v) { return std::string{static_cast<char>(v >> 8), static_cast<char>(v)}; };
  auto be32 = [&](uint32_t v) {
    return be16(static_cast<int>(v >> 16)) + be16(static_cast<int>(v & 0xFFFF));
  };
  return "8BPS" + be16(1) + std::string(6, '\0') + be16(channels) + be32(height) + be32(width) + be16(depth) +
         be16(mode) + be32(static_cast<uint32_t>(colour_data.size())) + colour_data + be32(0) + be32(0) +
         image;
}

struct BytesCase {
  const char* name;
  std::string bytes;
};

class PsdRefuses : public testing::TestWithParam<BytesCase> {};

TEST_P(PsdRefuses, WithAnErrorAndNoPixels) {
  PsdCodec codec;
  EXPECT_FALSE(magick::DecodeBytes(GetParam().bytes, codec));
  EXPECT_FALSE(codec.HasPixels());
  EXPECT_FALSE(codec.LastError().empty());
}

const std::string kRawGrey2x2 = std::string("\0\0", 2) + "abcd";

INSTANTIATE_TEST_SUITE_P(
    Headers, PsdRefuses,
    testing::Values(BytesCase{"short", "8BPS"},
                    BytesCase{"signature", "8BPX" + Psd(1, 2, 2, 8, 1, kRawGrey2x2).substr(4)},
                    BytesCase{"version_2",
                              [] {
                                std::string b = Psd(1, 2, 2, 8, 1, kRawGrey2x2);
                                b[5] = 2;
                                return b;
                              }()},
                    BytesCase{"no_channels", Psd(0, 2, 2, 8, 1, kRawGrey2x2)},
                    BytesCase{"too_wide", Psd(1, 30001, 1, 8, 1, kRawGrey2x2)},
                    BytesCase{"zero_height", Psd(1, 2, 0, 8, 1, kRawGrey2x2)},
                    BytesCase{"depth_32", Psd(1, 2, 2, 32, 1, kRawGrey2x2)},
                    BytesCase{"lab_mode", Psd(3, 2, 2, 8, 9, kRawGrey2x2)},
                    BytesCase{"rgb_with_one_channel", Psd(1, 2, 2, 8, 3, kRawGrey2x2)},
                    BytesCase{"indexed_without_palette", Psd(1, 2, 2, 8, 2, kRawGrey2x2)},
                    BytesCase{"raw_truncated", Psd(1, 4, 4, 8, 1, std::string("\0\0abc", 5))},
                    BytesCase{"zip_compression", Psd(1, 2, 2, 8, 1, std::string("\0\2abcd", 6))},
                    BytesCase{"counts_truncated", Psd(1, 2, 2, 8, 1, std::string("\0\1\0", 3))},
                    // The second row's packed data stops after one of its two bytes.
                    BytesCase{"short_row",
                              Psd(1, 2, 2, 8, 1, std::string("\0\1\0\2\0\2\xFF\x10\x00\x20", 10))},
                    BytesCase{"colour_data_past_end",
                              Psd(1, 2, 2, 8, 1, "", "").substr(0, 26) + std::string("\x7F\0\0\0", 4)}),
    [](const testing::TestParamInfo<BytesCase>& info) { return std::string(info.param.name); });

TEST(PsdCodec, ClipsAPackBitsRunPastTheRowEnd) {
  // A run of 100 bytes and a literal of 3 for rows of two pixels.
  PsdCodec codec;
  ASSERT_TRUE(
      magick::DecodeBytes(Psd(1, 2, 2, 8, 1, std::string("\0\1\0\2\0\4\x9D\x10\x02\x20\x30\x40", 12)), codec))
      << codec.LastError();
  EXPECT_EQ(magick::Of(codec).bytes,
            std::string("\x10\x10\x10\xFF\x10\x10\x10\xFF\x20\x20\x20\xFF\x30\x30\x30\xFF", 16));
}

TEST(PsdCodec, BitmapModeSetBitsAreBlack) {
  PsdCodec codec;
  ASSERT_TRUE(magick::DecodeBytes(Psd(1, 3, 1, 1, 0, std::string("\0\0\xA0", 3)), codec))
      << codec.LastError();
  EXPECT_EQ(magick::Of(codec).bytes, std::string("\0\0\0\xFF\xFF\xFF\xFF\xFF\0\0\0\xFF", 12));
}

TEST(PsdCodec, DetectionDoesNotTryPsdButTheTypeDoes) {
  PsdCodec codec;
  Picture source = magick::Sample24();
  codec.Swap(source);
  MemoryPictureFile sink;
  ASSERT_TRUE(codec.Encode(sink));
  Picture picture;
  EXPECT_FALSE(picture.LoadFromMemory(sink.Buffer().data(), sink.Buffer().size(), kImageUnknown));
  EXPECT_EQ(picture.LastError(), "Decode: Unknown or wrong format");
  ASSERT_TRUE(picture.LoadFromMemory(sink.Buffer().data(), sink.Buffer().size(), kImagePsd))
      << picture.LastError();
  EXPECT_EQ(magick::Of(picture), magick::Of(codec));
}

TEST(PsdReader, HandsOverATwentyFourBitBitmap) {
  testsupport::TempDir dir;
  auto path = WriteWithMagick(
      dir, WrittenCase{"palette", Palette40, {"-alpha", "off", "-type", "Palette", "-depth", "8"}, 8});
  PsdReader reader;
  ASSERT_TRUE(reader.Open(path.string()));
  ASSERT_TRUE(reader.Decode()) << reader.LastError();
  std::unique_ptr<Picture> bitmap = reader.DetachBitmap();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->BitsPerPixel(), 24);
  EXPECT_EQ(magick::Of(*bitmap), magick::Of(Palette40()));
  EXPECT_EQ(reader.DetachBitmap(), nullptr);  // the reader no longer owns it
}

TEST(PsdReader, ReportsFilesItCannotReadOrOpen) {
  testsupport::TempDir dir;
  std::string error;
  EXPECT_EQ(PsdReader::ReadFile((dir / "missing.psd").string(), &error), nullptr);
  EXPECT_EQ(error, "PSD: cannot open file");
  EXPECT_EQ(PsdReader::ReadFile(dir.WriteFile("bad.psd", "8BPS nonsense").string(), &error), nullptr);
  EXPECT_FALSE(error.empty());
  auto alpha = WriteWithMagick(dir, WrittenCase{"rgba", Alpha, {"-depth", "8"}, 24});
  std::unique_ptr<Picture> bitmap = PsdReader::ReadFile(alpha.string(), &error);
  ASSERT_NE(bitmap, nullptr) << error;
  EXPECT_TRUE(bitmap->HasAlpha());
}

// Inputs that once crashed the decoder under the fuzzer; each must be refused
// or decoded cleanly.
TEST(PsdCodec, FuzzerRegressionsDecodeOrFailCleanly) {
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TESSEL_TESTDATA_DIR "/regressions")) {
    std::string bytes = testsupport::ReadFileBytes(entry.path());
    MemoryPictureFile file(bytes.data(), bytes.size());
    PsdCodec codec;
    if (!codec.Decode(file)) {
      EXPECT_FALSE(codec.LastError().empty()) << entry.path();
    }
    ++replayed;
  }
  EXPECT_GT(replayed, 0);
}

}  // namespace
