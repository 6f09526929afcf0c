#include "control/protocol/AlbumAnswers.h"

#include <gtest/gtest.h>

#include <string>

#include "control/protocol/AlbumMessages.h"
#include "control/session/SessionState.h"

namespace {

using namespace album_protocol;

struct LoginCase {
  const char* body;
  LoginOutcome outcome;
  const char* uid;
  const char* cookie;
  const char* token;
  const char* nickname;
};

TEST(LoginAnswerTest, FieldsOutcomesAndValues) {
  const LoginCase cases[] = {
      {"succ uid=42;ck;tok;Demo", LoginOutcome::kSuccess, "42", "ck", "tok", "Demo"},
      // The uid is what follows the last '=' of the first field.
      {"succ a=b=42;ck=1;tok;昵称", LoginOutcome::kSuccess, "42", "ck=1", "tok", "昵称"},
      // Empty fields between separators are skipped, also a trailing one.
      {"succ=7;;ck;;tok;nick;", LoginOutcome::kSuccess, "7", "ck", "tok", "nick"},
      {"succ=7;ck;tok;", LoginOutcome::kServerError, "", "", "", ""},
      {"succ=7;ck;tok;nick;extra", LoginOutcome::kServerError, "", "", "", ""},
      {"succ", LoginOutcome::kServerError, "", "", "", ""},
      {"1:album not activated", LoginOutcome::kNotActivated, "", "", "", ""},
      {"0", LoginOutcome::kRejected, "", "", "", ""},
      {"Succ=7;ck;tok;nick", LoginOutcome::kRejected, "", "", "", ""},
      {"", LoginOutcome::kRejected, "", "", "", ""},
  };
  for (const LoginCase& c : cases) {
    SCOPED_TRACE(c.body);
    LoginAnswer answer = ReadLoginAnswer(c.body);
    EXPECT_EQ(answer.outcome, c.outcome);
    EXPECT_EQ(answer.uid, c.uid);
    EXPECT_EQ(answer.cookie, c.cookie);
    EXPECT_EQ(answer.token, c.token);
    EXPECT_EQ(answer.nickname, c.nickname);
  }
}

TEST(LoginAnswerTest, FailureTextsAreTheUsersWords) {
  EXPECT_EQ(LoginFailureText(LoginOutcome::kRejected), "用户登录失败。请确认用户名密码是否正确。");
  EXPECT_EQ(LoginFailureText(LoginOutcome::kServerError), "登录时出现错误，请稍后再试！");
  EXPECT_EQ(LoginFailureText(LoginOutcome::kNotActivated), "用户的相册尚未启用。");
  EXPECT_EQ(LoginFailureText(LoginOutcome::kSuccess), "");
}

TEST(LoginAnswerTest, SuccessFillsTheSessionAndFailureLeavesItAlone) {
  CSessionState session;
  session.SetAlbumEnabled(0);
  ApplyLoginAnswer(ReadLoginAnswer("1"), "demo", &session);
  EXPECT_EQ(session.AlbumEnabled(), 0);
  EXPECT_FALSE(session.IsLoggedIn());

  ApplyLoginAnswer(ReadLoginAnswer("succ=42;ck;tok;Nick"), "demo", &session);
  EXPECT_TRUE(session.IsLoggedIn());
  EXPECT_EQ(session.Uid(), "42");
  EXPECT_EQ(session.Cookie(), "ck");
  EXPECT_EQ(session.Token(), "tok");
  EXPECT_EQ(session.NickName(), "Nick");
  EXPECT_EQ(session.LoginName(), "demo");

  // An answer record without a nickname shows the login name instead.
  LoginAnswer no_nick = ReadLoginAnswer("succ=42;ck;tok;Nick");
  no_nick.nickname.clear();
  ApplyLoginAnswer(no_nick, "other", &session);
  EXPECT_EQ(session.NickName(), "other");
}

constexpr const char* kTwoAlbums =
    "<?xml version=\"1.0\"?><root><count>2</count><list>"
    "<special><specialid>11</specialid><specialname>%E6%97%85%E8%A1%8C+2009</specialname></special>"
    "<special><other>x</other><SpecialName>50%25%2</SpecialName><specialid>12</specialid></special>"
    "</list></root>";

TEST(AlbumListAnswerTest, NamesAreDecodedAndReadInDocumentOrder) {
  std::vector<SpecialInfo> albums = ParseAlbumList(kTwoAlbums);
  ASSERT_EQ(albums.size(), 2u);
  EXPECT_EQ(albums[0].id, "11");
  EXPECT_EQ(albums[0].name, "旅行 2009");
  EXPECT_EQ(albums[1].id, "12");
  // A percent sign followed by a single digit at the end cuts the name before it.
  EXPECT_EQ(albums[1].name, "50%");
}

struct AlbumListCase {
  const char* what;
  bool status_ok;
  const char* body;
  AlbumListOutcome outcome;
  size_t albums;
  const char* message;
};

TEST(AlbumListAnswerTest, OutcomesAndMessages) {
  const AlbumListCase cases[] = {
      {"albums", true, kTwoAlbums, AlbumListOutcome::kAlbums, 2, ""},
      {"service error", true, "-ERROR:102:token expired", AlbumListOutcome::kServiceError, 0,
       "获取专辑列表失败!(Error:token expired)"},
      {"error with a % in it", true, "-ERROR:%s%d", AlbumListOutcome::kServiceError, 0,
       "获取专辑列表失败!(Error:%s%d)"},
      {"no status 200", false, kTwoAlbums, AlbumListOutcome::kNetworkError, 0, "网络异常,获取专辑列表失败!"},
      {"empty list", true, "<root><list></list></root>", AlbumListOutcome::kEmpty, 0,
       "专辑列表为空，需要创建一个专辑。是否创建专辑。"},
      {"empty body", true, "", AlbumListOutcome::kEmpty, 0, "专辑列表为空，需要创建一个专辑。是否创建专辑。"},
      {"garbage", true, "<root><list><special>", AlbumListOutcome::kEmpty, 0,
       "专辑列表为空，需要创建一个专辑。是否创建专辑。"},
  };
  for (const AlbumListCase& c : cases) {
    SCOPED_TRACE(c.what);
    AlbumListAnswer answer = ReadAlbumListAnswer(c.status_ok, c.body);
    EXPECT_EQ(answer.outcome, c.outcome);
    EXPECT_EQ(answer.albums.size(), c.albums);
    EXPECT_EQ(answer.message, c.message);
  }
}

TEST(QuotaAnswerTest, UnitsAndWidthsOfEveryFigure) {
  QuotaAnswer quota =
      ReadQuotaAnswer(true,
                      "<root><pictures>12</pictures><specials>3</specials>"
                      "<leavespace>1000</leavespace><usespace>-5</usespace>"
                      "<maxspace>2048</maxspace><maxsingle>2048</maxsingle>"
                      "<maxphoto>500</maxphoto><specialmaxphoto>250</specialmaxphoto></root>");
  ASSERT_TRUE(quota.has_data);
  EXPECT_EQ(quota.pictures, 12);
  EXPECT_EQ(quota.specials, 3);
  EXPECT_EQ(quota.remaining_bytes, 1024000);
  EXPECT_EQ(quota.used_bytes, -5120);
  EXPECT_EQ(quota.per_upload_size_limit, 2147483648ull);
  // 2048 MB overflows 32 bits to -2^31, which is then widened with its sign.
  EXPECT_EQ(quota.single_file_limit, 0xFFFFFFFF80000000ull);
  // The later photo-count element wins.
  EXPECT_EQ(quota.photo_limit, 250);
}

struct QuotaCase {
  const char* what;
  bool status_ok;
  const char* body;
  bool has_data;
  std::optional<std::int32_t> photo_limit;
  std::optional<std::uint64_t> per_upload;
  std::optional<std::uint64_t> single;
};

TEST(QuotaAnswerTest, ReadingRules) {
  const QuotaCase cases[] = {
      {"error answer", true, "error: no such user", false, {}, {}, {}},
      {"no status 200", false, "<root><maxphoto>5</maxphoto></root>", false, {}, {}, {}},
      {"later maxphoto wins",
       true,
       "<root><specialmaxphoto>9</specialmaxphoto><maxphoto>5</maxphoto></root>",
       true,
       5,
       {},
       {}},
      {"element names in any case", true, "<ROOT><MaxPhoto>8</MaxPhoto></ROOT>", true, 8, {}, {}},
      {"unreadable number is 0", true, "<root><maxspace>lots</maxspace></root>", true, {}, 0u, {}},
      {"blanks and a tail", true, "<root><maxspace> 3MB</maxspace></root>", true, {}, 3145728u, {}},
      {"negative space limit", true, "<root><maxspace>-1</maxspace></root>", true, {}, 0u, {}},
      {"small single limit", true, "<root><maxsingle>5</maxsingle></root>", true, {}, {}, 5242880u},
      {"huge number saturates",
       true,
       "<root><maxspace>99999999999</maxspace></root>",
       true,
       {},
       2147483647ull * 1048576u,
       {}},
      {"not XML", true, "maxphoto=5", false, {}, {}, {}},
  };
  for (const QuotaCase& c : cases) {
    SCOPED_TRACE(c.what);
    QuotaAnswer quota = ReadQuotaAnswer(c.status_ok, c.body);
    EXPECT_EQ(quota.has_data, c.has_data);
    EXPECT_EQ(quota.photo_limit, c.photo_limit);
    EXPECT_EQ(quota.per_upload_size_limit, c.per_upload);
    EXPECT_EQ(quota.single_file_limit, c.single);
  }
}

TEST(QuotaAnswerTest, OnlyFiguresThatArrivedChangeTheSession) {
  CSessionState session;
  session.InitConfig();
  session.SetPerUploadSizeLimit(77);
  ApplyQuotaLimits(ReadQuotaAnswer(true, "error"), &session);
  EXPECT_EQ(session.PerUploadSizeLimit(), 77u);
  EXPECT_EQ(session.PhotoLimit(), 300);

  ApplyQuotaLimits(ReadQuotaAnswer(true, "<root><maxphoto>20</maxphoto></root>"), &session);
  EXPECT_EQ(session.PhotoLimit(), 20);
  EXPECT_EQ(session.PerUploadSizeLimit(), 77u);
}

TEST(AlbumInfoAnswerTest, PictureCount) {
  EXPECT_EQ(ReadAlbumPictureCount(true, "<root><url>x</url><picturenum>17</picturenum></root>"), 17);
  EXPECT_EQ(ReadAlbumPictureCount(false, "<root><picturenum>17</picturenum></root>"), 0);
  EXPECT_EQ(ReadAlbumPictureCount(true, "<root><url>x</url></root>"), 0);
  EXPECT_EQ(ReadAlbumPictureCount(true, "-ERROR:x"), 0);
}

TEST(KeywordAnswerTest, FirstThreeBytesInAnyCase) {
  EXPECT_TRUE(IsKeywordAccepted("+OK"));
  EXPECT_TRUE(IsKeywordAccepted("+ok, fine"));
  EXPECT_TRUE(IsKeywordAccepted("+oK"));
  EXPECT_FALSE(IsKeywordAccepted("+O"));
  EXPECT_FALSE(IsKeywordAccepted(" +OK"));
  EXPECT_FALSE(IsKeywordAccepted("-ERR:word"));
  EXPECT_FALSE(IsKeywordAccepted(""));
}

struct UploadCase {
  const char* what;
  const char* content_type;
  const char* body;
  bool ok;
  const char* receipt;
};

TEST(UploadAnswerTest, CountMustBeOneAndDataPresentInATextAnswer) {
  const UploadCase cases[] = {
      {"success", "text/xml", "<root><count>1</count><data>r-1</data></root>", true, "r-1"},
      {"content type in any case", "TEXT/html; charset=utf-8", "<root><count>1</count><data>r</data></root>",
       true, "r"},
      {"not text", "application/xml", "<root><count>1</count><data>r</data></root>", false, ""},
      {"count 2", "text/xml", "<root><count>2</count><data>r</data></root>", false, ""},
      {"count with blank", "text/xml", "<root><count> 1</count><data>r</data></root>", false, ""},
      {"no data", "text/xml", "<root><count>1</count><data></data></root>", false, ""},
      {"garbage", "text/plain", "count=1", false, ""},
  };
  for (const UploadCase& c : cases) {
    SCOPED_TRACE(c.what);
    UploadAnswer answer = ReadUploadAnswer(c.content_type, c.body);
    EXPECT_EQ(answer.ok, c.ok);
    EXPECT_EQ(answer.receipt, c.receipt);
  }
}

TEST(UploadAnswerTest, RegistrationNeedsPlusOkAsWritten) {
  EXPECT_TRUE(ReadRegistrationAnswer("text/plain", "+OK"));
  EXPECT_FALSE(ReadRegistrationAnswer("text/plain", "+ok"));
  EXPECT_FALSE(ReadRegistrationAnswer("image/gif", "+OK"));
  EXPECT_FALSE(ReadRegistrationAnswer("text/plain", "-ERROR:full"));
}

struct CreateCase {
  const char* what;
  bool status_ok;
  const char* body;
  bool created;
  const char* message;
};

TEST(CreateAlbumAnswerTest, OutcomesAndMessages) {
  const CreateCase cases[] = {
      {"created", true, "+OK", true, ""},
      {"created, lower case", true, "+ok:id=5", true, ""},
      {"error keeps text after last colon", true, "-ERROR:103:名称重复", false,
       "创建专辑失败！(Error:名称重复)"},
      {"anything else", true, "what?", false, "创建专辑失败！(Error:)"},
      {"no status 200", false, "", false, "创建专辑失败！(Error:请求服务器失败！)"},
  };
  for (const CreateCase& c : cases) {
    SCOPED_TRACE(c.what);
    CreateAlbumAnswer answer = ReadCreateAlbumAnswer(c.status_ok, c.body);
    EXPECT_EQ(answer.created, c.created);
    EXPECT_EQ(answer.message, c.message);
  }
}

}  // namespace
