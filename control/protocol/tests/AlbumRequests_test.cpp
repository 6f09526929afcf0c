#include "control/protocol/AlbumRequests.h"

#include <gtest/gtest.h>

#include <string>

#include "control/protocol/ClientVersion.h"
#include "control/session/SessionState.h"

namespace {

using namespace album_protocol;

constexpr const char* kCliver = "2.1.0.7120";

struct UrlCase {
  const char* what;
  std::string built;
  const char* expected;
};

void ExpectUrls(const std::initializer_list<UrlCase>& cases) {
  for (const UrlCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.built, c.expected);
  }
}

TEST(AlbumRequestsTest, LoginEncodesNameAndPasswordAsGbkBytes) {
  const char* kLogin = "http://h/apis/client/client_login.php";
  ExpectUrls({
      {"plain", LoginUrl(kLogin, "demo", "demo", kCliver),
       "http://h/apis/client/client_login.php?name=demo&pass=demo&appname=client&cliver=2.1.0.7120"},
      {"space and ampersand", LoginUrl(kLogin, "a b&c", "p=w+d", kCliver),
       "http://h/apis/client/"
       "client_login.php?name=a%20b%26c&pass=p%3Dw%2Bd&appname=client&cliver=2.1.0.7120"},
      // Two Chinese characters travel as their four GBK bytes, not as six UTF-8 bytes.
      {"Chinese name", LoginUrl(kLogin, "张三", "x", kCliver),
       "http://h/apis/client/client_login.php?name=%D5%C5%C8%FD&pass=x&appname=client&cliver=2.1.0.7120"},
      {"kept characters", LoginUrl(kLogin, "A-z_0.9!$()*,~/:%", "", kCliver),
       "http://h/apis/client/client_login.php?name=A-z_0.9!$()*,%7E%2F%3A%25&pass=&appname=client"
       "&cliver=2.1.0.7120"},
  });
}

TEST(AlbumRequestsTest, ListQuotaAndInfoInsertSessionValuesAsTheyStand) {
  ExpectUrls({
      {"album list", AlbumListUrl("http://h/list.php", "42", "t&k"),
       "http://h/list.php?appname=client&uid=42&token=t&k&pagenum=200&pageno=0&isdesc=1"},
      {"quota", QuotaUrl("http://h/q.php", "42", kCliver, "tok"),
       "http://h/q.php?appname=client&uid=42&cliver=2.1.0.7120&token=tok"},
      {"album info", AlbumInfoUrl("http://h/i.php", "42", "7", "tok", kCliver),
       "http://h/i.php?appname=client&uid=42&ctgid=7&token=tok&cliver=2.1.0.7120"},
      {"upload", UploadUrl("http://u/pic_upload.php", "tok", "c=1;d"),
       "http://u/pic_upload.php?app=photo&s=xml&exif=1&token=tok&sess=c=1;d"},
      {"album page", AlbumPageUrl("http://h/list/photo_b.php", "42", "7"),
       "http://h/list/photo_b.php?uid=42&ctg_id=7"},
  });
}

TEST(AlbumRequestsTest, TagCheckSendsTheWholeTrimmedTextAsOneKeyword) {
  const char* kCheck = "http://p/interface/check_key_word.php?keyword=";
  ExpectUrls({
      {"separators kept", TagCheckUrl(kCheck, "sun, sea  sky"),
       "http://p/interface/check_key_word.php?keyword=sun,%20sea%20%20sky"},
      {"trimmed", TagCheckUrl(kCheck, " \tsun \r\n"), "http://p/interface/check_key_word.php?keyword=sun"},
      {"Chinese as GBK", TagCheckUrl(kCheck, "春天,花 "),
       "http://p/interface/check_key_word.php?keyword=%B4%BA%CC%EC,%BB%A8"},
  });
}

TEST(AlbumRequestsTest, RegistrationHasTagBetweenAlbumIdAndAddressOnlyWithTags) {
  RegistrationValues values{"42", "tok", "7", "", "127.0.0.1", "a b.jpg", kCliver};
  ExpectUrls({
      {"without tags", RegistrationUrl("http://h/r.php", values),
       "http://h/"
       "r.php?appname=client&uid=42&token=tok&ctgid=7&uip=127.0.0.1&title=a%20b.jpg&cliver=2.1.0.7120"},
  });
  values.tags = "张 x";
  values.ip_address = "";
  values.title = "相册.jpg";
  ExpectUrls({
      {"with tags", RegistrationUrl("http://h/r.php", values),
       "http://h/r.php?appname=client&uid=42&token=tok&ctgid=7&tag=%D5%C5%20x&uip=&title=%CF%E0%B2%E1.jpg"
       "&cliver=2.1.0.7120"},
  });
}

TEST(AlbumRequestsTest, AlbumNamesGoOutAsUtf8AndThePasswordUnencoded) {
  const char* kNameCheck = "http://h/apis/client/client_keyword.php?keyword=";
  CreateAlbumValues open_album{"42", "tok", "相册", "my trip", kCliver, false, ""};
  CreateAlbumValues locked_album{"42", "tok", "a&b", "", kCliver, true, "p&w=1"};
  ExpectUrls({
      {"name check", AlbumNameCheckUrl(kNameCheck, "相册", "a b", "42", "tok"),
       "http://h/apis/client/client_keyword.php?keyword=%E7%9B%B8%E5%86%8Ca%20b&uid=42&token=tok"},
      {"open album", CreateAlbumUrl("http://h/c.php", open_album),
       "http://h/c.php?appname=client&uid=42&token=tok&specialname=%E7%9B%B8%E5%86%8C&specialdesc=my%20trip"
       "&cliver=2.1.0.7120&is_pw=0&pw="},
      {"password album", CreateAlbumUrl("http://h/c.php", locked_album),
       "http://h/c.php?appname=client&uid=42&token=tok&specialname=a%26b&specialdesc="
       "&cliver=2.1.0.7120&is_pw=1&pw=p&w=1"},
  });
}

TEST(AlbumRequestsTest, BrowserPagesCarryTheMd5OfTheGbkPassword) {
  ExpectUrls({
      {"single sign-on",
       SingleSignOnUrl("http://p/interface/authsso.php", "a b", "abc", "http://h/x?uid=1&ctg_id=2"),
       "http://p/interface/authsso.php?u=a%20b&p=900150983cd24fb0d6963f7d28e17f72"
       "&r=http%3A%2F%2Fh%2Fx%3Fuid%3D1%26ctg_id%3D2"},
      {"activation", ActivationUrl("http://a/hd/reg.php?entry=photo", "张三", "密码"),
       "http://a/hd/reg.php?entry=photo?u=%D5%C5%C8%FD&p=d2293e30f0c964c5f6242486aa8a483c"},
  });
}

TEST(AlbumRequestsTest, SessionFormsReadTheCurrentEndpointsAndClientVersion) {
  CSessionState session;
  session.InitConfig();
  session.SetUid("42");
  session.SetToken("tok");
  session.SetCookie("ck");
  // A page that replaces the login endpoint before the login redirects the next request.
  session.SetLoginEndpoint("http://127.0.0.1:9/login.php");
  std::string cliver = ClientVersion();
  EXPECT_EQ(LoginUrl(session, "demo", "pw"),
            "http://127.0.0.1:9/login.php?name=demo&pass=pw&appname=client&cliver=" + cliver);
  EXPECT_EQ(QuotaUrl(session), session.Endpoint(CSessionState::EndpointSlot::kQuota) +
                                   "?appname=client&uid=42&cliver=" + cliver + "&token=tok");
  // An open album never sends a password, whatever the field held.
  EXPECT_EQ(CreateAlbumUrl(session, "n", "d", false, "secret"),
            session.Endpoint(CSessionState::EndpointSlot::kAlbumCreate) +
                "?appname=client&uid=42&token=tok&specialname=n&specialdesc=d&cliver=" + cliver +
                "&is_pw=0&pw=");
}

}  // namespace
