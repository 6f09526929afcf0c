#include "tools/tessel-upload/JsonLine.h"

#include <gtest/gtest.h>

namespace tessel_upload {
namespace {

TEST(JsonLine, QuotesTextsSafely) {
  struct Case {
    std::string text, quoted;
  };
  const Case cases[] = {
      {"相册 a", "\"相册 a\""},
      {"say \"hi\"\\", R"x("say \"hi\"\\")x"},
      {"tab\tnl\n\x01", R"x("tab\u0009nl\u000a\u0001")x"},
      // Bytes that are not UTF-8 (a GBK file name) cannot break the line.
      {"\xce\xf7\xba\xfe.jpg", R"x("\ufffd\ufffd\ufffd\ufffd.jpg")x"},
      {"cut \xe7\x9b", R"x("cut \ufffd\ufffd")x"},
  };
  for (const Case& c : cases) EXPECT_EQ(CJsonLine::Quote(c.text), c.quoted) << c.quoted;
}

TEST(JsonLine, BuildsOneObject) {
  std::string line =
      CJsonLine().Add("event", "done").Add("number", 3).Add("ok", true).AddRaw("list", "[]").Text();
  EXPECT_EQ(line, R"x({"event":"done","number":3,"ok":true,"list":[]})x");
}

}  // namespace
}  // namespace tessel_upload
