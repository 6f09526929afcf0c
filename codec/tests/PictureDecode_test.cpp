#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/MemoryPictureFile.h"
#include "codec/Picture.h"
#include "codec/tests/MagickTool.h"
#include "tools/testsupport/TempDir.h"

namespace {

// One small picture in each of our formats, encoded by us.
std::vector<uint8_t> Encoded(int type) {
  Picture picture = magick::ToPicture(magick::Pattern(24, 16, false), false);
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(picture.SaveToMemory(bytes, type));
  return bytes;
}

struct FormatCase {
  const char* name;
  int type;
};

class DetectionTest : public ::testing::TestWithParam<FormatCase> {};

// Type 0 finds every format; a wrong type (as from a wrong extension) falls
// back to detection and still decodes, reporting the real type.
TEST_P(DetectionTest, FindsTheFormatWhateverTheGivenType) {
  std::vector<uint8_t> bytes = Encoded(GetParam().type);
  for (int given : {kImageUnknown, kImageBmp, kImageGif, kImageJpeg, kImagePng, kImagePsd}) {
    SCOPED_TRACE(given);
    Picture picture;
    ASSERT_TRUE(picture.LoadFromMemory(bytes.data(), bytes.size(), given)) << picture.LastError();
    EXPECT_EQ(picture.Type(), GetParam().type);
    EXPECT_EQ(picture.Width(), 24);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, DetectionTest,
                         ::testing::Values(FormatCase{"bmp", kImageBmp}, FormatCase{"gif", kImageGif},
                                           FormatCase{"jpeg", kImageJpeg}, FormatCase{"png", kImagePng}),
                         [](const auto& info) { return std::string(info.param.name); });

// A JPEG file named ".bmp": the BMP codec fails, detection finds JPEG.
TEST(Decode, JpegFileWithBmpExtension) {
  testsupport::TempDir dir;
  std::vector<uint8_t> bytes = Encoded(kImageJpeg);
  std::filesystem::path path = dir.WriteFile("photo.bmp", std::string(bytes.begin(), bytes.end()));
  Picture picture;
  ASSERT_TRUE(picture.LoadFromFile(path.string(), kImageBmp)) << picture.LastError();
  EXPECT_EQ(picture.Type(), kImageJpeg);
  EXPECT_TRUE(picture.HasPixels());
}

// Detection rewinds to where the stream stood, not to its very beginning, so a
// picture embedded after other bytes decodes with its own offsets.
TEST(Decode, DetectionStartsWhereTheStreamStood) {
  for (int type : {kImageBmp, kImageGif, kImageJpeg, kImagePng}) {
    SCOPED_TRACE(type);
    std::vector<uint8_t> bytes(37, 0xAB);
    std::vector<uint8_t> picture_bytes = Encoded(type);
    bytes.insert(bytes.end(), picture_bytes.begin(), picture_bytes.end());
    MemoryPictureFile file(bytes.data(), bytes.size());
    ASSERT_TRUE(file.Seek(37, PictureFile::kFromStart));
    Picture picture;
    ASSERT_TRUE(picture.DecodeByType(file, kImagePsd)) << picture.LastError();
    EXPECT_EQ(picture.Type(), type);
  }
}

// Failure texts: unknown data, unknown types, a typed failure keeps its codec's
// text; every failure leaves an invalid picture, even over a valid one.
TEST(Decode, FailureTexts) {
  std::vector<uint8_t> junk(300, 0x5A);
  Picture picture = magick::ToPicture(magick::Pattern(4, 4, false), false);
  EXPECT_FALSE(picture.LoadFromMemory(junk.data(), junk.size(), kImageUnknown));
  EXPECT_EQ(picture.LastError(), "Decode: Unknown or wrong format");
  EXPECT_FALSE(picture.HasPixels());
  EXPECT_FALSE(picture.LoadFromMemory(junk.data(), junk.size(), 9));
  EXPECT_EQ(picture.LastError(), "Decode: Unknown or wrong format");
  EXPECT_FALSE(picture.LoadFromMemory(junk.data(), junk.size(), kImagePng));
  EXPECT_EQ(picture.LastError(), "PNG: not a PNG file");
  EXPECT_FALSE(picture.LoadFromFile("/nonexistent/picture.png", kImagePng));
  EXPECT_FALSE(picture.HasPixels());
  EXPECT_FALSE(picture.LoadFromResource(nullptr, 0, kImagePng));
  EXPECT_EQ(picture.LastError(), "Unable to load resource!");
}

// Resources decode from memory like files.
TEST(Decode, ResourceFromMemory) {
  std::vector<uint8_t> bytes = Encoded(kImagePng);
  Picture picture;
  ASSERT_TRUE(picture.LoadFromResource(bytes.data(), bytes.size(), kImagePng));
  EXPECT_EQ(picture.Height(), 16);
}

TEST(Encode, FailureTexts) {
  Picture picture = magick::ToPicture(magick::Pattern(4, 4, false), false);
  std::vector<uint8_t> bytes;
  EXPECT_FALSE(picture.SaveToMemory(bytes, kImageWmf));
  EXPECT_EQ(picture.LastError(), "Save WMF not supported");
  EXPECT_FALSE(picture.SaveToMemory(bytes, kImageUnknown));
  EXPECT_EQ(picture.LastError(), "Encode: Unknown format");
  EXPECT_FALSE(picture.SaveToMemory(bytes, 42));
  EXPECT_EQ(picture.LastError(), "Encode: Unknown format");
  EXPECT_FALSE(picture.SaveToFile("/nonexistent/folder/out.png", kImagePng));
  EXPECT_TRUE(picture.HasPixels());  // a failed save keeps the picture
  Picture empty;
  EXPECT_FALSE(empty.SaveToMemory(bytes, kImagePng));
}

// A failed encoding leaves an existing file as it was (a previous edited
// copy or cached thumbnail is not destroyed).
TEST(Encode, FailedEncodingKeepsExistingFile) {
  testsupport::TempDir dir;
  std::filesystem::path path = dir.WriteFile("copy.wmf", "previous contents");
  Picture picture = magick::ToPicture(magick::Pattern(8, 8, false), false);
  EXPECT_FALSE(picture.SaveToFile(path.string(), kImageWmf));
  EXPECT_EQ(picture.LastError(), "Save WMF not supported");
  EXPECT_EQ(testsupport::ReadFileBytes(path), "previous contents");
  EXPECT_FALSE(picture.SaveToFile((dir / "none.xyz").string(), kImageUnknown));
  EXPECT_FALSE(std::filesystem::exists(dir / "none.xyz"));  // nor is a new empty file left behind
}

// Saving truncates an existing longer file.
TEST(Encode, SaveTruncates) {
  testsupport::TempDir dir;
  std::filesystem::path path = dir.WriteFile("out.png", std::string(100000, 'x'));
  Picture picture = magick::ToPicture(magick::Pattern(8, 8, false), false);
  ASSERT_TRUE(picture.SaveToFile(path.string(), kImagePng));
  EXPECT_LT(std::filesystem::file_size(path), 10000u);
  Picture back;
  EXPECT_TRUE(back.LoadFromFile(path.string(), kImagePng));
}

// A memory sink grows, overwrites after a seek and fills gaps with zeros; a
// view is read-only and never reads past its end.
TEST(MemoryPictureFile, SinkAndView) {
  MemoryPictureFile sink;
  EXPECT_TRUE(sink.WriteAll("abcdef", 6));
  ASSERT_TRUE(sink.Seek(2, PictureFile::kFromStart));
  EXPECT_TRUE(sink.WriteAll("XY", 2));
  ASSERT_TRUE(sink.Seek(2, PictureFile::kFromEnd));
  EXPECT_TRUE(sink.WriteAll("!", 1));
  std::vector<uint8_t> expected = {'a', 'b', 'X', 'Y', 'e', 'f', 0, 0, '!'};
  EXPECT_EQ(sink.Buffer(), expected);
  EXPECT_FALSE(sink.Seek(-10, PictureFile::kFromCurrent));

  const char data[] = "12345";
  MemoryPictureFile view(data, 5);
  char buffer[8] = {};
  EXPECT_EQ(view.Write("z", 1), 0u);
  ASSERT_TRUE(view.Seek(-2, PictureFile::kFromEnd));
  EXPECT_EQ(view.Read(buffer, 8), 2u);
  EXPECT_EQ(std::string(buffer, 2), "45");
  EXPECT_EQ(view.GetByte(), -1);
  ASSERT_TRUE(view.Seek(100, PictureFile::kFromStart));
  EXPECT_EQ(view.Read(buffer, 1), 0u);
  EXPECT_EQ(view.Remaining(), 0);
  ASSERT_TRUE(view.Seek(0, PictureFile::kFromStart));
  EXPECT_EQ(view.Read(nullptr, 0), 0u);  // an empty vector's data() as the buffer
  EXPECT_EQ(view.Tell(), 0);
}

}  // namespace
