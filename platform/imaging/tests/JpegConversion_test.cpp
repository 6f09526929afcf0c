#include "platform/imaging/JpegConversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "codec/Picture.h"
#include "codec/tests/MagickTool.h"
#include "tools/testsupport/TempDir.h"

namespace {

std::string Quality(const std::filesystem::path& jpeg) {
  return magick::Capture(std::string(magick::kIdentify) + " -format %Q '" + jpeg.string() + "' 2>/dev/null");
}

// Every readable format becomes a JPEG of the same size at quality 75, even
// when the file's name does not match its format.
TEST(ConvertFileToJpeg, AnyReadableFormat) {
  testsupport::TempDir dir;
  Picture picture = magick::ToPicture(magick::Pattern(30, 20, false), false);
  for (auto [name, type] : {std::pair{"a.bmp", kImageBmp},
                            {"b.gif", kImageGif},
                            {"c.png", kImagePng},
                            {"d.jpg", kImageJpeg},
                            {"e.bmp", kImagePng}}) {
    SCOPED_TRACE(name);
    std::string in = (dir / name).string(), out = (dir / (std::string(name) + ".jpg")).string();
    ASSERT_TRUE(picture.SaveToFile(in, type));
    ASSERT_TRUE(platform::imaging::ConvertFileToJpeg(in, out));
    magick::Image result;
    ASSERT_TRUE(magick::Read(out, result));
    EXPECT_EQ(result.width, 30);
    EXPECT_EQ(Quality(out), "75");
  }
}

// An unreadable input fails and leaves the output untouched.
TEST(ConvertFileToJpeg, UnreadableInputLeavesOutputAlone) {
  testsupport::TempDir dir;
  std::filesystem::path in = dir.WriteFile("broken.png", "not a picture at all, only text");
  std::filesystem::path out = dir.WriteFile("out.jpg", "previous");
  EXPECT_FALSE(platform::imaging::ConvertFileToJpeg(in.string(), out.string()));
  EXPECT_EQ(testsupport::ReadFileBytes(out), "previous");
  EXPECT_FALSE(platform::imaging::ConvertFileToJpeg((dir / "missing.png").string(), out.string()));
}

// A bitmap is written at quality 75 and comes back unchanged; transparent
// parts turn white in the JPEG.
TEST(SaveBitmapAsJpeg, DefaultQualityAndWhiteUnderTransparency) {
  testsupport::TempDir dir;
  Picture bitmap = magick::ToPicture(magick::Pattern(40, 24, true), true);
  bitmap.SetJpegQuality(90);
  std::string out = (dir / "bitmap.jpg").string();
  ASSERT_TRUE(platform::imaging::SaveBitmapAsJpeg(bitmap, out));
  EXPECT_EQ(Quality(out), "75");
  EXPECT_EQ(bitmap.JpegQuality(), 90);
  EXPECT_TRUE(bitmap.HasAlpha());
  magick::Image result;
  ASSERT_TRUE(magick::Read(out, result));
  const uint8_t* transparent = &result.rgba[(12 * 40 + 2) * 4];  // left quarter is fully transparent
  EXPECT_GT(transparent[0], 240);
  EXPECT_GT(transparent[2], 240);
  Picture empty;
  EXPECT_FALSE(platform::imaging::SaveBitmapAsJpeg(empty, out));
}

}  // namespace
