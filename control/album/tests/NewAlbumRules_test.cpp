#include "control/album/NewAlbumRules.h"

#include <gtest/gtest.h>

#include <string>

#include "control/album/AlbumSelection.h"
#include "control/album/TextRules.h"

namespace album_rules {
namespace {

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(FitToCodePageLimit, TakesWholeCharacters) {
  FittedText fitted = FitToCodePageLimit(Repeat("相", 26), kAlbumNameLimit);
  EXPECT_TRUE(fitted.cut);
  EXPECT_EQ(fitted.text, Repeat("相", 25));
  EXPECT_EQ(fitted.units, 50u);
  // A Chinese character that would need the 50th and 51st byte is left out whole.
  fitted = FitToCodePageLimit(Repeat("a", 49) + "相", kAlbumNameLimit);
  EXPECT_EQ(fitted.text, Repeat("a", 49));
  EXPECT_EQ(fitted.units, 49u);
}

TEST(RemainingLengthNote, CountsWhatIsLeft) {
  EXPECT_EQ(RemainingLengthNote(Repeat("相", 25), 50), "还可以输入 0 个汉字或者 0 个字符。");
  EXPECT_EQ(RemainingLengthNote(Repeat("a", 49), 50), "还可以输入 0 个汉字或者 1 个字符。");
  EXPECT_EQ(RemainingLengthNote("", 500), "最多可输入 250 个汉字或者 500 个字符。");
}

TEST(CheckNewAlbum, RefusesInTheWindowsOrder) {
  struct Case {
    NewAlbumInput input;
    NewAlbumField field;
    const char* message;
  };
  const Case cases[] = {
      {{"  ", "", false, ""}, NewAlbumField::kName, kNameMissingText},
      {{Repeat("相", 26), "", false, ""}, NewAlbumField::kName, "抱歉,专辑名称不能超过50个字符(25个汉字)。"},
      {{"ok", Repeat("述", 251), false, ""},
       NewAlbumField::kDescription,
       "抱歉,专辑描述不能超过500个字符(250个汉字)。"},
      {{"ok", "", true, ""}, NewAlbumField::kPassword, kPasswordMissingText},
      {{" " + Repeat("相", 25) + " ", Repeat("述", 250), true, "p&w"}, NewAlbumField::kNone, ""},
  };
  for (const Case& c : cases) {
    NewAlbumProblem problem = CheckNewAlbum(c.input);
    EXPECT_EQ(problem.field, c.field) << c.input.name;
    EXPECT_EQ(problem.message, c.message) << c.input.name;
  }
}

TEST(AlbumSelection, PrefersTheLastAlbumName) {
  std::vector<SpecialInfo> albums = {{"7", "旅行"}, {"3", "家人"}, {"9", "家人"}};
  EXPECT_EQ(SelectAlbum(albums, "家人"), 1u);
  EXPECT_EQ(SelectAlbum(albums, "gone"), 0u);
  EXPECT_EQ(SelectAlbum(albums, ""), 0u);
  EXPECT_EQ(SelectAlbum({}, "家人"), std::nullopt);
  EXPECT_EQ(FindAlbumById(albums, "9"), 2u);
  EXPECT_EQ(FindAlbumByName(albums, "旅"), std::nullopt);
}

}  // namespace
}  // namespace album_rules
