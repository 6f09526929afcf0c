#include "codec/jpeg/JpegCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/MemoryPictureFile.h"
#include "codec/Picture.h"
#include "codec/tests/MagickTool.h"
#include "tools/testsupport/TempDir.h"

namespace {

// JPEG is lossy and decoders may differ in their colour conversion and
// up-sampling: pixels must be close, not equal.
constexpr double kMaxMeanError = 2.0;
constexpr int kMaxError = 24;

struct MagickVariant {
  const char* name;
  const char* options;
  int bits;  // what our decoder must give
};

class JpegMagickTest : public ::testing::TestWithParam<MagickVariant> {};

TEST_P(JpegMagickTest, DecodesLikeImageMagick) {
  testsupport::TempDir dir;
  std::string source = (dir / "source.pam").string(), file = (dir / "out.jpg").string();
  ASSERT_TRUE(magick::WritePam(source, magick::Pattern(67, 45, false), false));
  ASSERT_TRUE(magick::Convert("'" + source + "' " + GetParam().options + " 'jpg:" + file + "'"));
  magick::Image reference;
  ASSERT_TRUE(magick::Read(file, reference));
  Picture picture;
  ASSERT_TRUE(picture.LoadFromFile(file, kImageJpeg)) << picture.LastError();
  EXPECT_EQ(picture.BitsPerPixel(), GetParam().bits);
  magick::Difference d = magick::Compare(picture, reference);
  EXPECT_TRUE(d.same_size);
  EXPECT_LT(d.mean, kMaxMeanError);
  EXPECT_LT(d.max, kMaxError);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, JpegMagickTest,
    ::testing::Values(MagickVariant{"baseline", "-quality 90", 24},
                      MagickVariant{"subsampled", "-quality 75 -sampling-factor 2x2", 24},
                      MagickVariant{"no_subsampling", "-sampling-factor 1x1", 24},
                      MagickVariant{"progressive", "-interlace JPEG", 24},
                      MagickVariant{"grey", "-colorspace Gray", 8},
                      MagickVariant{"cmyk", "-colorspace CMYK", 24},
                      MagickVariant{"restart", "-define jpeg:restart-interval=2", 24},
                      MagickVariant{"odd_density", "-density 300 -units PixelsPerInch", 24}),
    [](const auto& info) { return std::string(info.param.name); });

// Real photographs shipped by another package decode like ImageMagick reads them.
TEST(JpegSamples, ShippedPhotographs) {
  const std::string base = "/usr/share/doc/libsixel-examples/examples/images/";
  for (const char* name : {"snake.jpg", "snake-grayscale.jpg", "snake-progressive.jpg", "egret.jpg"}) {
    SCOPED_TRACE(name);
    magick::Image reference;
    ASSERT_TRUE(magick::Read(base + name, reference));
    Picture picture;
    ASSERT_TRUE(picture.LoadFromFile(base + name, kImageJpeg)) << picture.LastError();
    magick::Difference d = magick::Compare(picture, reference);
    EXPECT_TRUE(d.same_size);
    EXPECT_LT(d.mean, kMaxMeanError);
    EXPECT_LT(d.max, kMaxError);
  }
}

// Our encoder's output (quality 90 by default) reads back close to the source.
TEST(JpegEncode, ImageMagickReadsWhatWeWrite) {
  testsupport::TempDir dir;
  magick::Image source = magick::Pattern(64, 48, false);
  Picture picture = magick::ToPicture(source, false);
  EXPECT_EQ(picture.JpegQuality(), 90);
  std::string file = (dir / "ours.jpg").string();
  ASSERT_TRUE(picture.SaveToFile(file, kImageJpeg)) << picture.LastError();
  magick::Image back;
  ASSERT_TRUE(magick::Read(file, back));
  std::string quality = magick::Capture(std::string(magick::kIdentify) + " -format %Q '" + file + "'");
  EXPECT_EQ(quality, "90");
  // ImageMagick's pixels match our decoder's reading of the same file ...
  Picture ours;
  ASSERT_TRUE(ours.LoadFromFile(file, kImageJpeg));
  magick::Difference d = magick::Compare(ours, back);
  EXPECT_TRUE(d.same_size);
  EXPECT_LT(d.mean, kMaxMeanError);
  EXPECT_LT(d.max, kMaxError);
  // ... and the loss is no worse than ImageMagick's own encoder at quality 90
  // with the same (libjpeg default) halved chroma resolution.
  std::string pam = (dir / "source.pam").string(), theirs_file = (dir / "theirs.jpg").string();
  ASSERT_TRUE(magick::WritePam(pam, source, false));
  ASSERT_TRUE(magick::Convert("'" + pam + "' -quality 90 -sampling-factor 2x2 '" + theirs_file + "'"));
  magick::Image theirs;
  ASSERT_TRUE(magick::Read(theirs_file, theirs));
  double our_loss = magick::Compare(picture, back).mean, their_loss = magick::Compare(picture, theirs).mean;
  EXPECT_LT(our_loss, their_loss + 1.0) << our_loss << " vs " << their_loss;
}

// A palette picture is written through its colours.
TEST(JpegEncode, PalettePictureGoesOutInColour) {
  Picture picture;
  ASSERT_TRUE(picture.Create(16, 16, 8));
  picture.Palette()[7] = RgbQuad{0, 0, 255, 0};  // red
  for (int y = 0; y < 16; ++y) std::fill(picture.Row(y), picture.Row(y) + 16, 7);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(picture.SaveToMemory(bytes, kImageJpeg));
  Picture back;
  ASSERT_TRUE(back.LoadFromMemory(bytes.data(), bytes.size(), kImageJpeg));
  uint8_t rgba[4];
  back.PixelRgba(8, 8, rgba);
  EXPECT_GT(rgba[0], 240);
  EXPECT_LT(rgba[1], 16);
}

// Broken streams fail with an error text and leave no picture; nothing leaks
// or crashes inside the library's error handling.
TEST(JpegReject, BrokenStreams) {
  Picture good = magick::ToPicture(magick::Pattern(40, 30, false), false);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(good.SaveToMemory(bytes, kImageJpeg));
  std::vector<std::vector<uint8_t>> cases = {
      {},                                                       // empty
      {0xFF, 0xD8},                                             // signature only
      std::vector<uint8_t>(bytes.begin(), bytes.begin() + 20),  // cut in the headers
  };
  std::vector<uint8_t> bad_frame = bytes;
  for (size_t i = 2; i + 9 < bad_frame.size(); ++i)
    if (bad_frame[i] == 0xFF && bad_frame[i + 1] == 0xC0) {
      bad_frame[i + 7] = bad_frame[i + 8] = 0;  // width 0
      break;
    }
  cases.push_back(bad_frame);
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    JpegCodec codec;
    MemoryPictureFile file(cases[i].data(), cases[i].size());
    EXPECT_FALSE(codec.Decode(file));
    EXPECT_FALSE(codec.HasPixels());
    EXPECT_EQ(codec.LastError().rfind("JPEG: ", 0), 0u) << codec.LastError();
  }
}

// A stream cut after its headers still gives a picture of the right size (the
// missing part is filled), as a browser would show it.
TEST(JpegReject, TruncatedScanStillDecodes) {
  Picture good = magick::ToPicture(magick::Pattern(40, 30, false), false);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(good.SaveToMemory(bytes, kImageJpeg));
  bytes.resize(bytes.size() * 2 / 3);
  Picture picture;
  ASSERT_TRUE(picture.LoadFromMemory(bytes.data(), bytes.size(), kImageJpeg));
  EXPECT_EQ(picture.Width(), 40);
}

}  // namespace
