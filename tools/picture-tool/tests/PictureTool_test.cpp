#include <gtest/gtest.h>
#include <sys/wait.h>

#include <string>

#include "codec/Picture.h"
#include "codec/PictureTypes.h"
#include "codec/tests/MagickTool.h"
#include "tools/picture-tool/PictureCommands.h"
#include "tools/testsupport/TempDir.h"

namespace {

struct ToolRun {
  int status;
  std::string output;
};

// Runs the real program; output holds stdout and stderr.
ToolRun PictureTool(const std::string& arguments) {
  std::string command = std::string(PICTURE_TOOL_PATH) + " " + arguments + " 2>&1; echo \"#$?\"";
  std::string text = magick::Capture(command);
  size_t mark = text.rfind('#');
  return {std::stoi(text.substr(mark + 1)), text.substr(0, mark)};
}

struct SizeCase {
  int width, height, fitted_width, fitted_height;
};

// The thumbnail fitting rule of the picture items.
TEST(ThumbnailSize, FitsInto83) {
  for (SizeCase c : {SizeCase{200, 100, 83, 41},
                     {100, 200, 41, 83},
                     {50, 40, 50, 40},
                     {83, 83, 83, 83},
                     {84, 83, 83, 82},
                     {4000, 3000, 83, 62},
                     {3000, 4000, 62, 83},
                     {1000, 1000, 83, 83},
                     {100000, 10, 83, 1}}) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    picture_tool::Size size = picture_tool::ThumbnailSize(c.width, c.height);
    EXPECT_EQ(size.width, c.fitted_width);
    EXPECT_EQ(size.height, c.fitted_height);
  }
}

TEST(PictureTypes, FromLastExtensionAnyCase) {
  EXPECT_EQ(PictureTypeFromExtension("IMG.1.JPG"), kImageJpeg);
  EXPECT_EQ(PictureTypeFromExtension("a/b.jpeg"), kImageJpeg);
  EXPECT_EQ(PictureTypeFromExtension("x.Png"), kImagePng);
  EXPECT_EQ(PictureTypeFromExtension("x.psd"), kImagePsd);
  EXPECT_EQ(PictureTypeFromExtension("x.tiff"), kImageUnknown);
  EXPECT_EQ(PictureTypeFromExtension("folder.png/file"), kImageUnknown);
  EXPECT_EQ(PictureTypeFromExtension("noextension"), kImageUnknown);
}

// The three commands end to end, and their exit statuses.
TEST(PictureTool, Commands) {
  testsupport::TempDir dir;
  Picture picture = magick::ToPicture(magick::Pattern(200, 100, false), false);
  std::string jpeg_named_bmp = (dir / "photo.bmp").string();
  ASSERT_TRUE(picture.SaveToFile(jpeg_named_bmp, kImageJpeg));

  ToolRun info = PictureTool("info '" + jpeg_named_bmp + "'");
  EXPECT_EQ(info.status, 0);
  EXPECT_EQ(info.output, "type: JPEG\nwidth: 200\nheight: 100\nbits per pixel: 24\n");

  std::string gif = (dir / "out.gif").string();
  EXPECT_EQ(PictureTool("convert '" + jpeg_named_bmp + "' '" + gif + "'").status, 0);
  Picture converted;
  ASSERT_TRUE(converted.LoadFromFile(gif, kImageGif));
  EXPECT_EQ(converted.Type(), kImageGif);

  std::string thumb = (dir / "thumb.png").string();
  EXPECT_EQ(PictureTool("thumb '" + jpeg_named_bmp + "' '" + thumb + "'").status, 0);
  magick::Image result;
  ASSERT_TRUE(magick::Read(thumb, result));
  EXPECT_EQ(result.width, 83);
  EXPECT_EQ(result.height, 41);
}

TEST(PictureTool, FailuresAndUsage) {
  testsupport::TempDir dir;
  std::filesystem::path junk = dir.WriteFile("junk.png", "definitely not a picture");
  ToolRun info = PictureTool("info '" + junk.string() + "'");
  EXPECT_EQ(info.status, 1);
  EXPECT_NE(info.output.find("PNG: not a PNG file"), std::string::npos) << info.output;
  Picture picture = magick::ToPicture(magick::Pattern(4, 4, false), false);
  std::string png = (dir / "a.png").string();
  ASSERT_TRUE(picture.SaveToFile(png, kImagePng));
  ToolRun wmf = PictureTool("convert '" + png + "' '" + (dir / "out.wmf").string() + "'");
  EXPECT_EQ(wmf.status, 1);
  EXPECT_NE(wmf.output.find("Save WMF not supported"), std::string::npos);
  ToolRun unknown = PictureTool("convert '" + png + "' '" + (dir / "out.xyz").string() + "'");
  EXPECT_NE(unknown.output.find("Encode: Unknown format"), std::string::npos);
  EXPECT_EQ(PictureTool("").status, 2);
  EXPECT_EQ(PictureTool("info").status, 2);
  EXPECT_EQ(PictureTool("resize a b").status, 2);
}

}  // namespace
