#include "control/album/TagRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace album_rules {
namespace {

using album_protocol::KeywordVerdict;

struct SplitCase {
  const char* typed;
  std::vector<std::string> tags;
};

TEST(SplitTags, FollowsTheAlbumWindowsSeparators) {
  const SplitCase cases[] = {
      {"sea,sun sand", {"sea", "sun", "sand"}},
      {"海边，日落", {"海边", "日落"}},  // full-width comma
      {"海边　日落", {"海边", "日落"}},  // full-width space
      {"sea,,sun", {"sea", ",sun"}},     // the second comma stays with the word
      {" sea sun", {" sea sun"}},        // a leading separator: one single tag
      {"sea, sun", {"sea", " sun"}},     // comma then space: the rest is one tag
      {"sea,", {"sea"}},                 // a trailing separator adds nothing
      {"sea", {"sea"}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(SplitTags(c.typed), c.tags) << c.typed;
  }
}

TEST(TagLimitProblem, CountsTagsAndCodePageBytes) {
  std::vector<std::string> fifteen(15, "a");
  EXPECT_EQ(TagLimitProblem(fifteen), "");
  std::vector<std::string> sixteen(16, "a");
  EXPECT_EQ(TagLimitProblem(sixteen), kTooManyTagsText);
  EXPECT_EQ(TagLimitProblem({"八个汉字八个汉字"}), "");                // 8 Chinese characters = 16 bytes
  EXPECT_EQ(TagLimitProblem({"abcdefghijklmnopq"}), kTagTooLongText);  // 17 bytes
  EXPECT_EQ(TagLimitProblem({"八个汉字八个汉字a"}), kTagTooLongText);
}

TEST(CheckTagText, BlankTextSkipsTheKeywordCheck) {
  int calls = 0;
  TagCheck check = CheckTagText("  \t ", [&](std::string_view) {
    ++calls;
    return KeywordVerdict::kRefused;
  });
  EXPECT_EQ(check.verdict, TagVerdict::kNoTags);
  EXPECT_EQ(calls, 0);
}

TEST(CheckTagText, LimitsComeBeforeTheServiceAndTheServiceSeesTheTrimmedText) {
  std::string seen;
  auto accept = [&](std::string_view trimmed) {
    seen = std::string(trimmed);
    return KeywordVerdict::kAccepted;
  };
  EXPECT_EQ(CheckTagText("a b c d e f g h i j k l m n o p", accept).verdict, TagVerdict::kTooMany);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(CheckTagText("abcdefghijklmnopq", accept).message, kTagTooLongText);
  EXPECT_EQ(CheckTagText(" 海边,日落 ", accept).verdict, TagVerdict::kAccepted);
  EXPECT_EQ(seen, "海边,日落");
}

TEST(CheckTagText, ServiceVerdicts) {
  auto answer = [](KeywordVerdict verdict) { return [verdict](std::string_view) { return verdict; }; };
  TagCheck refused = CheckTagText("word", answer(KeywordVerdict::kRefused));
  EXPECT_EQ(refused.verdict, TagVerdict::kRefused);
  EXPECT_EQ(refused.message, "抱歉，标签添加失败！建议您对填写内容进行适当修改");
  TagCheck silent = CheckTagText("word", answer(KeywordVerdict::kNoResponse));
  EXPECT_EQ(silent.verdict, TagVerdict::kNoResponse);
  EXPECT_TRUE(silent.message.empty());
}

}  // namespace
}  // namespace album_rules
