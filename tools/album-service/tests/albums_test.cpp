// Album list, album information, album creation, quota and both keyword checks.
#include <gtest/gtest.h>

#include "tools/album-service/tests/ServiceFixture.h"

namespace albumservice::tests {
namespace {

constexpr const char* kXmlHead = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

class AlbumsTest : public ServiceTest {
 protected:
  HttpAnswer List(const LoginSession& s, const std::string& paging = "&pagenum=200&pageno=0&isdesc=1") {
    return Get(Url("/apis/client/client_get_ctginfo.php?appname=client&" + Session(s) + paging));
  }
  HttpAnswer Info(const LoginSession& s, const std::string& album) {
    return Get(Url("/apis/client/client_get_ctginfo.php?appname=client&uid=" + s.uid + "&ctgid=" + album +
                   "&token=" + s.token + "&cliver=2.1.0.7120"));
  }
  HttpAnswer Quota(const LoginSession& s) {
    return Get(Url("/apis/client/client_get_photoinfo.php?appname=client&uid=" + s.uid +
                   "&cliver=2.1.0.7120&token=" + s.token));
  }
};

TEST_F(AlbumsTest, ListHoldsUrlEncodedUtf8NamesNewestFirst) {
  LoginSession s = Login();
  HttpAnswer answer = List(s);
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.content_type.rfind("text/xml", 0), 0u);
  EXPECT_EQ(answer.body,
            std::string(kXmlHead) +
                "<root><list>"
                "<special><specialid>2</specialid><specialname>Travel%20%E6%97%85%E8%A1%8C</specialname>"
                "<picturenum>0</picturenum><is_pw>0</is_pw></special>"
                "<special><specialid>1</specialid><specialname>%E6%88%91%E7%9A%84%E7%9B%B8%E5%86%8C"
                "</specialname><picturenum>0</picturenum><is_pw>0</is_pw></special>"
                "</list></root>");
  // Oldest first, and paging.
  std::string oldest = List(s, "&pagenum=1&pageno=0&isdesc=0").body;
  EXPECT_NE(oldest.find("<specialid>1</specialid>"), std::string::npos);
  EXPECT_EQ(oldest.find("<specialid>2</specialid>"), std::string::npos);
  EXPECT_EQ(List(s, "&pagenum=200&pageno=1&isdesc=1").body,
            std::string(kXmlHead) + "<root><list></list></root>");
}

TEST_F(AlbumsTest, WrongOrForeignTokenGetsErrorAnswers) {
  LoginSession s = Login();
  ASSERT_TRUE(service_->AddUser("other", "x"));
  LoginSession other = Login("other", "x");
  LoginSession forged{s.uid, s.cookie, other.token};  // a valid token of another user
  for (const LoginSession& bad : {LoginSession{s.uid, s.cookie, "0"}, LoginSession{s.uid, s.cookie, ""},
                                  forged, LoginSession{"abc", s.cookie, s.token}}) {
    HttpAnswer list = List(bad);
    EXPECT_EQ(list.status, 200);
    EXPECT_EQ(list.body.rfind("-ERROR", 0), 0u) << list.body;
    EXPECT_EQ(list.body.substr(list.body.rfind(':') + 1), "invalid uid or token");
    EXPECT_EQ(Quota(bad).body.rfind("error", 0), 0u);
    EXPECT_EQ(Info(bad, "1").body.rfind("-ERROR", 0), 0u);
    EXPECT_EQ(CreateAlbum(bad, "x").rfind("-ERROR", 0), 0u);
  }
  // Another user's album is not visible either.
  EXPECT_EQ(Info(other, "1").body.rfind("-ERROR", 0), 0u);
}

TEST_F(AlbumsTest, InfoCountsPicturesAndLinksTheAlbumPage) {
  LoginSession s = Login();
  EXPECT_EQ(Info(s, "1").body, std::string(kXmlHead) + "<root><picturenum>0</picturenum><url>" +
                                   service_->base_url() +
                                   "/list/photo_b.php?uid=10001&amp;ctg_id=1</url></root>");
  ASSERT_EQ(RegisterPicture(s, UploadReceipt(s, FakeJpeg(100)), "1").substr(0, 3), "+OK");
  EXPECT_NE(Info(s, "1").body.find("<picturenum>1</picturenum>"), std::string::npos);
  EXPECT_EQ(Info(s, "999").body.rfind("-ERROR", 0), 0u);
}

TEST_F(AlbumsTest, CreationAcceptsOpenAndPasswordAlbumsAndRefusesBadOnes) {
  LoginSession s = Login();
  EXPECT_EQ(CreateAlbum(s, "%E9%A3%8E%E6%99%AF"), "+OK:3");  // 风景
  // The password goes out unencoded and may hold "&".
  EXPECT_EQ(CreateAlbum(s, "Secret", "1", "a&b=c"), "+OK:4");
  struct Case {
    const char* name;
    const char* is_pw;
    const char* pw;
  };
  for (const Case& c : {Case{"%E9%A3%8E%E6%99%AF", "0", ""},  // duplicate
                        Case{"my%20forbidden%20album", "0", ""}, Case{"%20%20", "0", ""}, Case{"x", "1", ""},
                        Case{"%FF%FE", "0", ""}, Case{"y", "1", "12345678901234567"}}) {
    std::string answer = CreateAlbum(s, c.name, c.is_pw, c.pw);
    EXPECT_EQ(answer.rfind("-ERROR", 0), 0u) << c.name << ": " << answer;
    EXPECT_FALSE(answer.substr(answer.rfind(':') + 1).empty());
  }
  // 25 Chinese characters (50 GBK bytes) fit, 26 do not.
  std::string name;
  for (int i = 0; i < 25; ++i) name += "%E5%AD%97";  // 字
  EXPECT_EQ(CreateAlbum(s, name).substr(0, 3), "+OK");
  EXPECT_EQ(CreateAlbum(s, name + "%E5%AD%97").rfind("-ERROR", 0), 0u);

  std::string list = List(s).body;
  EXPECT_NE(list.find("<specialname>Secret</specialname><picturenum>0</picturenum><is_pw>1</is_pw>"),
            std::string::npos);
  // The album page asks for the password and accepts exactly "a&b=c".
  std::string page = "/list/photo_b.php?uid=" + s.uid + "&ctg_id=4";
  EXPECT_NE(Get(Url(page)).body.find("type=\"password\""), std::string::npos);
  EXPECT_EQ(Get(Url(page + "&pw=a")).status, 403);
  EXPECT_EQ(Get(Url(page + "&pw=a%26b%3Dc")).status, 200);
  EXPECT_EQ(Get(Url(page + "&pw=a%26b%3Dc")).body.find("type=\"password\""), std::string::npos);
}

TEST_F(AlbumsTest, QuotaReportsLimitsAndGrowsWithRegisteredPictures) {
  ASSERT_TRUE(service_->AddUser(
      "limited", "x",
      {"--leave-kb", "3000", "--max-space-kb", "2048", "--max-single-kb", "5120", "--max-photo", "7"}));
  LoginSession s = Login("limited", "x");
  std::string head = std::string(kXmlHead) + "<root><pictures>";
  EXPECT_EQ(Quota(s).body, head +
                               "0</pictures><specials>0</specials><leavespace>3000</leavespace>"
                               "<usespace>0</usespace><maxspace>2</maxspace><maxsingle>5</maxsingle>"
                               "<maxphoto>7</maxphoto><specialmaxphoto>7</specialmaxphoto></root>");
  ASSERT_EQ(CreateAlbum(s, "a").substr(0, 3), "+OK");
  std::string album = AlbumId(s, "a");
  ASSERT_EQ(RegisterPicture(s, UploadReceipt(s, FakeJpeg(2048 + 1)), album).substr(0, 3), "+OK");
  // An upload that is not registered does not count.
  ASSERT_FALSE(UploadReceipt(s, FakeJpeg(4096)).empty());
  EXPECT_EQ(Quota(s).body, head +
                               "1</pictures><specials>1</specials><leavespace>2997</leavespace>"
                               "<usespace>3</usespace><maxspace>2</maxspace><maxsingle>5</maxsingle>"
                               "<maxphoto>7</maxphoto><specialmaxphoto>7</specialmaxphoto></root>");
}

TEST_F(AlbumsTest, KeywordChecksAnswerOkOrARefusalFromTheWordList) {
  LoginSession s = Login();
  struct Case {
    std::string query;
    bool accepted;
  };
  // Tag check: GBK. 违禁 = CE A5 BD FB; 风景 = B7 E7 BE B0.
  for (const Case& c : {Case{"%B7%E7%BE%B0%2C%20sea", true}, Case{"sea%2C%CE%A5%BD%FB", false},
                        Case{"FORBIDDEN", false}, Case{"", true}}) {
    std::string answer = Get(Url("/interface/check_key_word.php?keyword=" + c.query)).body;
    EXPECT_EQ(answer == "+OK", c.accepted) << c.query << ": " << answer;
    if (!c.accepted) {
      EXPECT_EQ(answer.rfind("-ERROR", 0), 0u);
    }
  }
  // Album-name check: UTF-8 name and description joined, with uid and token.
  auto name_check = [&](const std::string& keyword, const LoginSession& who) {
    return Get(Url("/apis/client/client_keyword.php?keyword=" + keyword + "&uid=" + who.uid +
                   "&token=" + who.token))
        .body;
  };
  EXPECT_EQ(name_check("%E9%A3%8E%E6%99%AFnice", s), "+OK");
  EXPECT_EQ(name_check("Trip%E8%BF%9D%E7%A6%81", s).rfind("-ERROR", 0), 0u);  // 违禁 in UTF-8
  EXPECT_EQ(name_check("fine", LoginSession{s.uid, s.cookie, "bad"}).rfind("-ERROR", 0), 0u);
}

class WordListTest : public ServiceTest {
 protected:
  std::vector<std::string> ExtraArgs() const override { return {"--forbidden-word", "Kitten"}; }
};

TEST_F(WordListTest, CommandLineAndControlEndpointAddWords) {
  EXPECT_EQ(Get(Url("/interface/check_key_word.php?keyword=my%20kitten")).body.rfind("-ERROR", 0), 0u);
  EXPECT_EQ(Get(Url("/interface/check_key_word.php?keyword=puppy")).body, "+OK");
  EXPECT_EQ(Get(Url("/_test/words?add=puppy")).body, "+OK");
  EXPECT_EQ(Get(Url("/interface/check_key_word.php?keyword=puppy")).body.rfind("-ERROR", 0), 0u);
}

}  // namespace
}  // namespace albumservice::tests
