#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "codec/Picture.h"
#include "codec/tests/MagickTool.h"
#include "tools/testsupport/TempDir.h"

namespace {

// Fits into a box of 83 × 83 by one factor, as the picture items do.
void FitInto83(int width, int height, int& canvas_width, int& canvas_height) {
  if (width <= 83 && height <= 83) {
    canvas_width = width, canvas_height = height;
  } else if (height < width) {
    canvas_width = 83, canvas_height = std::max(1, height * 83 / width);
  } else {
    canvas_width = std::max(1, width * 83 / height), canvas_height = 83;
  }
}

struct StreamCase {
  const char* name;
  int width, height;
  const char* options;  // ImageMagick options, or a format prefix ending in ':'
  int type;             // the type the caller names
  void (*fit)(int, int, int&, int&);
};

void FixedCanvas(int, int, int& canvas_width, int& canvas_height) { canvas_width = 90, canvas_height = 70; }

class LoadOntoCanvasTest : public ::testing::TestWithParam<StreamCase> {};

// Shrinking while decoding gives exactly the pixels of decoding whole and
// then fitting, for every kind of JPEG, for pictures that need no shrinking,
// for a fixed canvas that leaves borders, and for a PNG named as a JPEG.
TEST_P(LoadOntoCanvasTest, SameAsDecodingWholeThenFitting) {
  const StreamCase& c = GetParam();
  testsupport::TempDir dir;
  std::string source = (dir / "source.pam").string(), file = (dir / "photo.jpg").string();
  ASSERT_TRUE(magick::WritePam(source, magick::Pattern(c.width, c.height, false), false));
  std::string options = c.options;
  if (options.back() != ':') options += ' ';  // a format prefix goes right before the name
  ASSERT_TRUE(magick::Convert("'" + source + "' " + options + "'" + file + "'"));

  Picture whole;
  ASSERT_TRUE(whole.LoadFromFile(file, c.type));
  int canvas_width = 0, canvas_height = 0;
  c.fit(whole.Width(), whole.Height(), canvas_width, canvas_height);
  ASSERT_TRUE(whole.ShrinkOntoCanvas(canvas_width, canvas_height, CanvasColour{255, 255, 255}));

  Picture streamed;
  int source_width = 0, source_height = 0;
  ASSERT_TRUE(streamed.LoadOntoCanvas(file, c.type, c.fit, CanvasColour{255, 255, 255}, &source_width,
                                      &source_height));
  EXPECT_EQ(source_width, c.width);
  EXPECT_EQ(source_height, c.height);
  ASSERT_EQ(streamed.Width(), whole.Width());
  ASSERT_EQ(streamed.Height(), whole.Height());
  for (int y = 0; y < whole.Height(); ++y)
    ASSERT_EQ(std::memcmp(streamed.Row(y), whole.Row(y), whole.Width() * 3), 0) << "row " << y;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, LoadOntoCanvasTest,
    ::testing::Values(StreamCase{"wide", 400, 300, "-quality 90", kImageJpeg, FitInto83},
                      StreamCase{"tall", 120, 500, "-quality 90", kImageJpeg, FitInto83},
                      StreamCase{"grey", 300, 200, "-colorspace Gray", kImageJpeg, FitInto83},
                      StreamCase{"cmyk", 300, 200, "-colorspace CMYK", kImageJpeg, FitInto83},
                      StreamCase{"small", 60, 40, "-quality 90", kImageJpeg, FitInto83},
                      StreamCase{"borders", 400, 100, "-quality 90", kImageJpeg, FixedCanvas},
                      StreamCase{"png_named_jpg", 200, 150, "png:", kImageJpeg, FitInto83},
                      StreamCase{"by_detection", 200, 150, "-quality 80", kImageUnknown, FitInto83}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadOntoCanvas, UnreadableFileAndBadCanvas) {
  testsupport::TempDir dir;
  std::filesystem::path junk = dir.WriteFile("junk.jpg", "not a picture");
  Picture picture;
  EXPECT_FALSE(picture.LoadOntoCanvas(junk.string(), kImageJpeg, FitInto83, CanvasColour{}));
  EXPECT_FALSE(picture.HasPixels());
  Picture good = magick::ToPicture(magick::Pattern(100, 100, false), false);
  std::string file = (dir / "good.jpg").string();
  ASSERT_TRUE(good.SaveToFile(file, kImageJpeg));
  auto zero = [](int, int, int& w, int& h) { w = 0, h = 0; };
  EXPECT_FALSE(picture.LoadOntoCanvas(file, kImageJpeg, zero, CanvasColour{}));
  EXPECT_FALSE(picture.HasPixels());
}

}  // namespace
