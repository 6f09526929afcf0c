// Login answers, GBK login names, album activation, registration and the
// single sign-on redirect.
#include <gtest/gtest.h>

#include "tools/album-service/tests/ServiceFixture.h"

namespace albumservice::tests {
namespace {

class LoginTest : public ServiceTest {
 protected:
  std::string Answer(const std::string& name, const std::string& pass) {
    return Get(Url("/apis/client/client_login.php?name=" + name + "&pass=" + pass +
                   "&appname=client&cliver=1.0"))
        .body;
  }
};

TEST_F(LoginTest, SuccessHasFourFieldsWithUidCookieTokenAndNickname) {
  HttpAnswer answer =
      Get(Url("/apis/client/client_login.php?name=demo&pass=demo&appname=client&cliver=2.1.0.7120"));
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.content_type.rfind("text/", 0), 0u);
  std::regex shape(
      "^succ:uid=10001;[0-9a-f]{32};[0-9a-f]{32};\xE6\xBC\x94\xE7\xA4\xBA\xE7\x94\xA8\xE6\x88\xB7$");
  EXPECT_TRUE(std::regex_match(answer.body, shape)) << answer.body;
  // Every login opens a new session.
  EXPECT_NE(Login().token, Login().token);
}

TEST_F(LoginTest, RefusalsNeitherStartWithSuccNorWithOne) {
  struct Case {
    const char* name;
    const char* pass;
  };
  for (const Case& c : {Case{"demo", "wrong"}, Case{"nobody", "demo"}, Case{"", ""}, Case{"demo", ""},
                        Case{"DEMO", "demo"}, Case{"de%FFmo", "demo"}}) {
    std::string answer = Answer(c.name, c.pass);
    EXPECT_EQ(answer, "-ERROR:wrong name or password") << c.name << "/" << c.pass;
  }
}

TEST_F(LoginTest, ChineseNameArrivesAsGbkBytesInPercentForm) {
  ASSERT_TRUE(service_->AddUser("张三", "密码1"));
  // 张三 in GBK is D5 C5 C8 FD, 密码1 is C3 DC C2 EB 31.
  LoginSession session = Login("%D5%C5%C8%FD", "%C3%DC%C2%EB1");
  EXPECT_FALSE(session.uid.empty());
  // The same name in UTF-8 percent form is a different name.
  EXPECT_EQ(Answer("%E5%BC%A0%E4%B8%89", "%C3%DC%C2%EB1"), "-ERROR:wrong name or password");
  // A byte that is not GBK does not stand in for a "?" in a name.
  ASSERT_TRUE(service_->AddUser("a?b", "x"));
  EXPECT_EQ(Answer("a%FFb", "x"), "-ERROR:wrong name or password");
  EXPECT_FALSE(Login("a%3Fb", "x").uid.empty());
}

TEST_F(LoginTest, NameWithSpaceAndAmpersandIsDecodedWhole) {
  ASSERT_TRUE(service_->AddUser("a b&c", "p w"));
  EXPECT_FALSE(Login("a%20b%26c", "p%20w").uid.empty());
  EXPECT_FALSE(Login("a+b%26c", "p+w").uid.empty());
}

TEST_F(LoginTest, EmptyNicknameFallsBackToTheNameAndSemicolonsAreReplaced) {
  ASSERT_TRUE(service_->AddUser("semi", "x", {"--nickname", "a;b"}));
  std::string answer = Answer("semi", "x");
  EXPECT_EQ(answer.substr(answer.rfind(';') + 1), "a_b") << answer;
}

TEST_F(LoginTest, InactiveAlbumAnswersOneAndActivationPageTurnsItOn) {
  ASSERT_TRUE(service_->AddUser("sleeper", "pw", {"--inactive"}));
  EXPECT_EQ(Answer("sleeper", "pw").substr(0, 1), "1");
  EXPECT_EQ(Answer("sleeper", "bad"), "-ERROR:wrong name or password");

  // The client opens "/hd/reg.php?entry=photo" + "?u=..&p=md5(password)".
  const std::string md5 = "8fe4c11451281c094a6578e6ddbf5eed";  // MD5 of "pw"
  HttpAnswer page = Get(Url("/hd/reg.php?entry=photo?u=sleeper&p=" + md5));
  EXPECT_EQ(page.status, 200);
  EXPECT_NE(page.body.find("entry\" value=\"activate\""), std::string::npos) << page.body;
  EXPECT_EQ(Get(Url("/hd/reg.php?entry=photo?u=sleeper&p=00000000000000000000000000000000")).status, 403);

  HttpAnswer done =
      Post(Url("/hd/reg.php"), "entry=activate&u=sleeper&p=" + md5, "application/x-www-form-urlencoded");
  EXPECT_EQ(done.status, 200);
  EXPECT_EQ(Answer("sleeper", "pw").substr(0, 4), "succ");
}

TEST_F(LoginTest, RegistrationFormCreatesAnAccountOnce) {
  EXPECT_EQ(Get(Url("/hd/reg.php?entry=shequ")).status, 200);
  // The browser posts the form in UTF-8: 测试 / 密码.
  std::string form = "entry=create&name=%E6%B5%8B%E8%AF%95&password=%E5%AF%86%E7%A0%81";
  EXPECT_EQ(Post(Url("/hd/reg.php"), form, "application/x-www-form-urlencoded").status, 200);
  EXPECT_EQ(Post(Url("/hd/reg.php"), form, "application/x-www-form-urlencoded").status, 409);
  // The client logs in with the GBK forms: 测试 = B2 E2 CA D4, 密码 = C3 DC C2 EB.
  EXPECT_FALSE(Login("%B2%E2%CA%D4", "%C3%DC%C2%EB").uid.empty());
}

TEST_F(LoginTest, SingleSignOnRedirectsOnlyWithTheRightDigestAndOnlyHome) {
  const std::string demo_md5 = "fe01ce2a7fbac8fafaed7c982a04e229";  // MD5 of "demo"
  std::string page = "%2Flist%2Fphoto_b.php%3Fuid%3D10001%26ctg_id%3D1";
  HttpAnswer ok = Get(Url("/interface/authsso.php?u=demo&p=" + demo_md5 + "&r=" + page));
  EXPECT_EQ(ok.status, 302);
  EXPECT_EQ(ok.location, "/list/photo_b.php?uid=10001&ctg_id=1");
  EXPECT_EQ(ok.set_cookie.rfind("sess=", 0), 0u) << ok.set_cookie;

  std::string absolute = "http%3A%2F%2F127.0.0.1%3A" + std::to_string(service_->port()) +
                         "%2Flist%2Fphoto_b.php%3Fuid%3D10001%26ctg_id%3D1";
  EXPECT_EQ(Get(Url("/interface/authsso.php?u=demo&p=" + demo_md5 + "&r=" + absolute)).status, 302);

  EXPECT_EQ(Get(Url("/interface/authsso.php?u=demo&p=" + std::string(32, '0') + "&r=" + page)).status, 403);
  for (const char* foreign : {"http%3A%2F%2Fexample.org%2F", "%2F%2Fexample.org%2F", "",
                              "%2Fa%0D%0ASet-Cookie:x", "%2F%5Cexample.org"}) {
    EXPECT_EQ(Get(Url("/interface/authsso.php?u=demo&p=" + demo_md5 + "&r=" + foreign)).status, 400)
        << foreign;
  }
}

}  // namespace
}  // namespace albumservice::tests
