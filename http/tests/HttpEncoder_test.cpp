// Encoders, code pages and the content-type sniffer.
#include <gtest/gtest.h>

#include <string>

#include "http/Corvo.h"
#include "http/MimeSniffer.h"
#include "tools/testsupport/TempDir.h"

namespace Corvo {
namespace {

TEST(HttpEncoderTest, UrlEncodingKeepsOnlyLettersAndDigits) {
  struct Case {
    const char* text;
    bool utf8;
    const char* encoded;
  };
  const Case cases[] = {
      {"a b-c.d", false, "a+b%2Dc%2Ed"},  {"AZaz09", false, "AZaz09"},
      {"_~*'", false, "%5F%7E%2A%27"},    {"中", false, "%D6%D0"},
      {"中", true, "%E4%B8%AD"},          {"", false, ""},
      {"\xF0\x9F\x98\x80", false, "%3F"},  // no GBK form: '?'
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CHttpEncoderA::UrlEncodeA(c.text, c.utf8, 0), c.encoded) << c.text;
    EXPECT_EQ(CHttpEncoderA::UrlEncodeLenA(c.text, c.utf8, 0), std::string(c.encoded).size()) << c.text;
  }
  EXPECT_EQ(CHttpEncoderA::UrlEncodeA(nullptr, false, 0), "");
  EXPECT_EQ(CHttpEncoderA::UrlEncodeLenA(nullptr, true, 0), 0u);
}

TEST(HttpEncoderTest, LengthsCountWireBytes) {
  EXPECT_EQ(CHttpEncoderA::AnsiEncodeLen("a中", 0), 3u);
  EXPECT_EQ(CHttpEncoderA::Utf8EncodeLen("a中", 0), 4u);
  EXPECT_EQ(CHttpEncoderA::AnsiEncode("中文", 0), "\xD6\xD0\xCE\xC4");
  try {
    CHttpEncoderA::Utf8Encode("bad \xC3", 0);
    FAIL();
  } catch (const httpclientexceptionA& e) {
    EXPECT_EQ(e.ErrorCode(), HttpError::kInvalidUtf8);
  }
  try {
    CHttpEncoderA::_UrlEncodeLen(nullptr, 0);
    FAIL();
  } catch (const httpclientexceptionA& e) {
    EXPECT_STREQ(e.what(), "_UrlEncodeLen: szStr can not be NULL.");
  }
}

TEST(MimeSnifferTest, RecognisesPictureFormatsFromTheirFirstBytes) {
  auto bytes = [](std::initializer_list<int> values, size_t size) {
    std::string data(size, '\0');
    size_t i = 0;
    for (int v : values) data[i++] = static_cast<char>(v);
    return data;
  };
  std::string bmp = bytes({'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0}, 64);
  std::string tga = bytes({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 0, 16, 0, 24, 0}, 64);
  std::string pcx = bytes({0x0A, 5, 1, 8, 0, 0, 0, 0, 15, 0, 15, 0}, 128);
  std::string wmf = bytes({1, 0, 9, 0, 0, 3}, 32);
  struct Case {
    std::string data;
    const char* mime;
  };
  const Case cases[] = {
      {"\xFF\xD8\xFF\xE0rest", "image/jpeg"},
      {std::string("\x89PNG\r\n\x1A\n", 8), "image/png"},
      {"GIF89a....", "image/gif"},
      {"GIF87a....", "image/gif"},
      {bmp, "image/bmp"},
      {std::string("8BPS\0\1", 6) + std::string(20, '\0'), "image/vnd.adobe.photoshop"},
      {"\xD7\xCD\xC6\x9A....", "image/x-wmf"},
      {wmf, "image/x-wmf"},
      {pcx, "image/x-pcx"},
      {tga, "image/x-tga"},
      {"BMxx", ""},  // a bare "BM" is not enough
      {"plain text here", ""},
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SniffMimeType(reinterpret_cast<const unsigned char*>(c.data.data()), c.data.size()), c.mime)
        << c.mime;
}

TEST(MimeSnifferTest, FileMimeTypeRewindsAndFallsBack) {
  testsupport::TempDir dir;
  std::string path = dir.WriteFile("p.jpg", "\xFF\xD8\xFF\xE1 jpeg body").string();
  auto file = CHttpToolA::OpenFile(path.c_str());
  ASSERT_NE(file, CHttpToolA::kInvalidFile);
  EXPECT_EQ(CHttpToolA::GetMimeType(file, 0), "image/jpeg");
  char first = 0;
  EXPECT_EQ(CHttpToolA::ReadFromFile(file, &first, 1), 1u);
  EXPECT_EQ(first, '\xFF');
  CHttpToolA::CloseFile(file);
  EXPECT_EQ(CHttpToolA::GetMimeType(CHttpToolA::kInvalidFile, 0), "application/octet-stream");
  auto text = CHttpToolA::OpenFile(dir.WriteFile("t.txt", "hello").c_str());
  EXPECT_EQ(CHttpToolA::GetMimeType(text, 0), "application/octet-stream");
  CHttpToolA::CloseFile(text);
  EXPECT_EQ(CHttpToolA::OpenFile((dir / "missing").c_str()), CHttpToolA::kInvalidFile);
  EXPECT_EQ(CHttpToolA::LastError(), 2u);
  EXPECT_EQ(CHttpToolA::OpenFile(dir.path().c_str()), CHttpToolA::kInvalidFile);
  EXPECT_THROW(CHttpToolA::GetMimeType(CHttpToolA::kInvalidFile, CP_UTF8), httpclientexceptionA);
}

}  // namespace
}  // namespace Corvo
