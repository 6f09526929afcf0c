#include "platform/system/CodePage.h"

#include <gtest/gtest.h>

namespace {

struct CodePageCase {
  const char* utf8;
  const char* gbk;
};

class CodePageRoundTrip : public testing::TestWithParam<CodePageCase> {};

TEST_P(CodePageRoundTrip, ConvertsBothWays) {
  const CodePageCase& c = GetParam();
  EXPECT_EQ(platform::Utf8ToGbk(c.utf8), c.gbk);
  EXPECT_EQ(platform::GbkToUtf8(c.gbk), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(Texts, CodePageRoundTrip,
                         testing::Values(CodePageCase{"", ""}, CodePageCase{"abc 123", "abc 123"},
                                         // 中文 in GBK is D6 D0 CE C4.
                                         CodePageCase{"\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},
                                         CodePageCase{"a\xE4\xB8\xAD"
                                                      "b",
                                                      "a\xD6\xD0"
                                                      "b"}));

TEST(CodePage, CharacterWithoutGbkFormBecomesQuestionMark) {
  // U+1F600 (an emoji) has no GBK form.
  EXPECT_EQ(platform::Utf8ToGbk("x\xF0\x9F\x98\x80y"), "x?y");
}

TEST(CodePage, InvalidUtf8BecomesQuestionMark) {
  EXPECT_EQ(platform::Utf8ToGbk("a\xFF"
                                "b"),
            "a?b");
  // A truncated sequence at the end.
  EXPECT_EQ(platform::Utf8ToGbk("a\xE4\xB8"), "a?");
}

TEST(CodePage, InvalidGbkBecomesQuestionMark) {
  EXPECT_EQ(platform::GbkToUtf8("a\xFF"
                                "b"),
            "a?b");
}

TEST(CodePage, GbkLengthCountsChineseAsTwo) { EXPECT_EQ(platform::GbkLength("ab\xE4\xB8\xAD"), 4u); }

}  // namespace
