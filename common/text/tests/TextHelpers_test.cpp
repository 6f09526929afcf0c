// URL coding, hexadecimal texts, splitting and code-page conversion.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/text/CodePageText.h"
#include "common/text/Hex.h"
#include "common/text/Split.h"
#include "common/text/UrlCoding.h"

namespace {

using Items = std::vector<std::string>;

TEST(UrlCodingTest, EncodesEverythingButTheSafeSet) {
  EXPECT_EQ(common::UrlEncode("a b/c"), "a%20b%2Fc");
  EXPECT_EQ(common::UrlEncode("AZaz09!$()*,-._"), "AZaz09!$()*,-._");
  EXPECT_EQ(common::UrlEncode("&=:+~%'\"\x7F"), "%26%3D%3A%2B%7E%25%27%22%7F");
  EXPECT_EQ(common::UrlEncode("\xE4\xBD\xA0"), "%E4%BD%A0");
  EXPECT_EQ(common::UrlEncode(std::string_view("a\0b", 3)), "a%00b");
  EXPECT_EQ(common::UrlEncode(""), "");
}

struct DecodeCase {
  const char* encoded;
  const char* decoded;
};

class UrlDecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(UrlDecodeTest, Decodes) {
  EXPECT_EQ(common::UrlDecode(GetParam().encoded, false), GetParam().decoded);
  EXPECT_EQ(common::UrlDecode(GetParam().encoded, true), GetParam().decoded) << "UTF-8 stays UTF-8";
}

INSTANTIATE_TEST_SUITE_P(Answers, UrlDecodeTest,
                         testing::Values(DecodeCase{"a+b%2F", "a b/"}, DecodeCase{"ab%2", "ab"},
                                         DecodeCase{"ab%", "ab"}, DecodeCase{"%41%62c", "Abc"},
                                         DecodeCase{"%e4%BD%a0", "\xE4\xBD\xA0"},
                                         DecodeCase{"100%zz", "100%zz"}, DecodeCase{"", ""},
                                         DecodeCase{"%2B+", "+ "}));

TEST(UrlCodingTest, DecodeUndoesEncode) {
  std::string all;
  for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
  EXPECT_EQ(common::UrlDecode(common::UrlEncode(all), false), all);
}

TEST(HexTest, RoundTripsLowerCase) {
  EXPECT_EQ(common::BytesToHex(std::string_view("\x00\x0f\xa5\xff", 4)), "000fa5ff");
  EXPECT_EQ(common::HexToBytes("000fA5ff"), std::string("\x00\x0f\xa5\xff", 4));
  EXPECT_EQ(common::HexToBytes(""), "");
  std::array<uint8_t, 20> digest{};
  digest[19] = 0xAB;
  EXPECT_EQ(common::BytesToHex(digest), std::string(38, '0') + "ab");
}

TEST(HexTest, RefusesOddLengthAndNonDigits) {
  EXPECT_THROW(common::HexToBytes("abc"), std::invalid_argument);
  EXPECT_THROW(common::HexToBytes("0g"), std::invalid_argument);
  EXPECT_THROW(common::HexToBytes(" 1"), std::invalid_argument);
}

struct SplitCase {
  const char* text;
  const char* separator;
  Items items;
};

class SplitByTextTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitByTextTest, Splits) {
  Items items = {"kept"};
  EXPECT_TRUE(common::SplitByText(GetParam().text, GetParam().separator, &items));
  Items expected = {"kept"};
  expected.insert(expected.end(), GetParam().items.begin(), GetParam().items.end());
  EXPECT_EQ(items, expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, SplitByTextTest,
                         testing::Values(SplitCase{"a,b", ",", {"a", "b"}}, SplitCase{",a", ",", {",a"}},
                                         SplitCase{"a,,b", ",", {"a", ",b"}},
                                         SplitCase{"a,b,", ",", {"a", "b"}},
                                         SplitCase{"one||two||three", "||", {"one", "two", "three"}},
                                         SplitCase{"abc", ";", {"abc"}}, SplitCase{"abc", "", {"abc"}},
                                         SplitCase{",", ",", {","}}));

TEST(SplitTest, EmptyTextIsRefused) {
  Items items;
  EXPECT_FALSE(common::SplitByText("", ",", &items));
  EXPECT_TRUE(items.empty());
}

TEST(SplitTest, ByCharNeverGivesEmptyItems) {
  struct {
    const char* text;
    Items items;
  } cases[] = {{"a,,b", {"a", "b"}}, {",a,", {"a"}},   {"", {}},
               {",,,", {}},          {"abc", {"abc"}}, {"a,b,c", {"a", "b", "c"}}};
  for (const auto& c : cases) {
    Items items;
    common::SplitByChar(c.text, ',', &items);
    EXPECT_EQ(items, c.items) << c.text;
  }
}

TEST(CodePageTextTest, ConvertsBothWays) {
  EXPECT_EQ(common::Utf8ToAnsi("a\xE4\xBD\xA0"), "a\xC4\xE3");
  EXPECT_EQ(common::AnsiToUtf8("a\xC4\xE3"), "a\xE4\xBD\xA0");
  EXPECT_EQ(common::Utf8ToAnsi("\xF0\x9F\x98\x80"), "?") << "no GBK form";
}

}  // namespace
