// The whole road of a session against the reference album service on
// 127.0.0.1: background requests on the simple request task, whose message
// 0x1401 arrives in a real message loop (with a watchdog), and the keyword
// check through the direct client.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "control/protocol/AlbumMessages.h"
#include "control/protocol/AlbumRequests.h"
#include "control/protocol/AlbumServiceClient.h"
#include "control/session/SessionState.h"
#include "platform/window/Messaging.h"
#include "platform/window/Wnd.h"
#include "tools/album-service/testing/AlbumServiceProcess.h"
#include "tools/http-testserver/HttpTestServer.h"

namespace {

using namespace album_protocol;
using albumservice::testing::AlbumServiceProcess;

constexpr UINT_PTR kWatchdogTimer = 1;
constexpr UINT kWatchdogMs = 20000;

// A window that ends the message loop when its request task reports, or when
// the watchdog fires first.
class CRequestWindow : public platform::CWnd {
 public:
  CRequestWindow() {
    platform::RECT rect;
    CreateEx(0, RegisterWndClass(0), "request window", 0, rect, nullptr, 0);
  }
  ~CRequestWindow() override { DestroyWindow(); }

  // Runs the loop until the task's message; false when the watchdog ended it.
  bool WaitForTask() {
    finished_ = false;
    timed_out_ = false;
    SetTimer(kWatchdogTimer, kWatchdogMs);
    platform::RunMessageLoop();
    KillTimer(kWatchdogTimer);
    return finished_ && !timed_out_;
  }
  // The URL text the task's message carried.
  const std::string& ReportedUrl() const { return reported_url_; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kRequestDoneMessage) {
      finished_ = true;
      reported_url_ = wParam ? reinterpret_cast<const char*>(wParam) : "";
      platform::PostQuitMessage(0);
      return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
  }
  void OnTimer(UINT_PTR id) override {
    if (id != kWatchdogTimer) return;
    timed_out_ = true;
    platform::PostQuitMessage(1);
  }

 private:
  bool finished_ = false;
  bool timed_out_ = false;
  std::string reported_url_;
};

class AlbumServiceEndToEndTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    service_ = new AlbumServiceProcess();
    ASSERT_TRUE(service_->AddUser("sleepy", "zzz", {"--inactive"}));
    ASSERT_TRUE(service_->AddUser("张三", "密码 1&2", {"--nickname", "小张"}));
  }
  static void TearDownTestSuite() {
    delete service_;
    service_ = nullptr;
  }

  void SetUp() override {
    session_.InitConfig();
    std::string base = service_->base_url();
    session_.SetLoginEndpoint(base + "/apis/client/client_login.php");
    session_.SetQuotaEndpoint(base + "/apis/client/client_get_photoinfo.php");
    session_.SetAlbumListEndpoint(base + "/apis/client/client_get_ctginfo.php");
    session_.SetAlbumInfoEndpoint(base + "/apis/client/client_get_ctginfo.php");
    session_.SetAlbumCreateEndpoint(base + "/apis/client/client_create_ctg.php");
  }

  LoginAnswer LogIn(const std::string& name, const std::string& password) {
    EXPECT_EQ(client_.StartLogin(&task_, window_.GetSafeHwnd(), name, password), 0);
    // While the answer is on its way the user counts as logged out.
    EXPECT_EQ(session_.AlbumEnabled(), 0);
    EXPECT_TRUE(window_.WaitForTask());
    return client_.FinishLogin(&task_, name);
  }

  static AlbumServiceProcess* service_;
  CSessionState session_;
  CAlbumServiceClient client_{&session_};
  CHttpRequestTask task_;
  CRequestWindow window_;
};

AlbumServiceProcess* AlbumServiceEndToEndTest::service_ = nullptr;

TEST_F(AlbumServiceEndToEndTest, LoginFillsTheSessionRecord) {
  LoginAnswer login = LogIn("demo", "demo");
  ASSERT_EQ(login.outcome, LoginOutcome::kSuccess);
  EXPECT_EQ(window_.ReportedUrl(), LoginUrl(session_, "demo", "demo"));
  EXPECT_TRUE(session_.IsLoggedIn());
  EXPECT_FALSE(session_.Uid().empty());
  EXPECT_FALSE(session_.Cookie().empty());
  EXPECT_FALSE(session_.Token().empty());
  EXPECT_FALSE(session_.NickName().empty());
  EXPECT_EQ(session_.LoginName(), "demo");
  EXPECT_EQ(session_.Password(), "demo");
}

TEST_F(AlbumServiceEndToEndTest, ChineseNameAndPasswordTravelAsGbk) {
  LoginAnswer login = LogIn("张三", "密码 1&2");
  ASSERT_EQ(login.outcome, LoginOutcome::kSuccess);
  EXPECT_EQ(session_.NickName(), "小张");
}

struct FailedLoginCase {
  const char* name;
  const char* password;
  LoginOutcome outcome;
  const char* text;
};

TEST_F(AlbumServiceEndToEndTest, FailedLoginsGiveTheirTexts) {
  const FailedLoginCase cases[] = {
      {"demo", "wrong", LoginOutcome::kRejected, "用户登录失败。请确认用户名密码是否正确。"},
      {"nobody", "demo", LoginOutcome::kRejected, "用户登录失败。请确认用户名密码是否正确。"},
      {"sleepy", "zzz", LoginOutcome::kNotActivated, "用户的相册尚未启用。"},
  };
  for (const FailedLoginCase& c : cases) {
    SCOPED_TRACE(c.name);
    LoginAnswer login = LogIn(c.name, c.password);
    EXPECT_EQ(login.outcome, c.outcome);
    EXPECT_EQ(LoginFailureText(login.outcome), c.text);
    EXPECT_FALSE(session_.IsLoggedIn());
  }
}

TEST_F(AlbumServiceEndToEndTest, QuotaAlbumListCreationAndInformation) {
  ASSERT_EQ(LogIn("demo", "demo").outcome, LoginOutcome::kSuccess);

  ASSERT_EQ(client_.StartQuota(&task_, window_.GetSafeHwnd()), 0);
  ASSERT_TRUE(window_.WaitForTask());
  QuotaAnswer quota = client_.FinishQuota(&task_);
  ASSERT_TRUE(quota.has_data);
  EXPECT_TRUE(quota.remaining_bytes.has_value());
  EXPECT_GT(session_.PerUploadSizeLimit(), 0u);
  EXPECT_EQ(quota.photo_limit, session_.PhotoLimit());

  ASSERT_EQ(client_.StartAlbumList(&task_, window_.GetSafeHwnd()), 0);
  ASSERT_TRUE(window_.WaitForTask());
  AlbumListAnswer before = client_.FinishAlbumList(&task_);
  ASSERT_EQ(before.outcome, AlbumListOutcome::kAlbums);
  EXPECT_EQ(ParseAlbumList(session_.CachedAlbumList()).size(), before.albums.size());

  // The album-name check goes first, through the direct client.
  const std::string name = "春游 2026 & 50%";
  std::string check =
      AlbumNameCheckUrl(service_->base_url() + "/apis/client/client_keyword.php?keyword=", name, "花 开",
                        session_.Uid(), session_.Token());
  ASSERT_EQ(RunKeywordCheck(check, "VORO Trovix 2.1"), KeywordVerdict::kAccepted);

  ASSERT_EQ(client_.StartCreateAlbum(&task_, window_.GetSafeHwnd(), name, "花 开", true, "p&w"), 0);
  ASSERT_TRUE(window_.WaitForTask());
  CreateAlbumAnswer created = client_.FinishCreateAlbum(&task_);
  ASSERT_TRUE(created.created) << created.message;

  ASSERT_EQ(client_.StartAlbumList(&task_, window_.GetSafeHwnd()), 0);
  ASSERT_TRUE(window_.WaitForTask());
  AlbumListAnswer after = client_.FinishAlbumList(&task_);
  ASSERT_EQ(after.albums.size(), before.albums.size() + 1);
  auto found = std::find_if(after.albums.begin(), after.albums.end(),
                            [&](const SpecialInfo& album) { return album.name == name; });
  ASSERT_NE(found, after.albums.end());

  ASSERT_EQ(client_.StartAlbumInfo(&task_, window_.GetSafeHwnd(), found->id), 0);
  ASSERT_TRUE(window_.WaitForTask());
  EXPECT_EQ(client_.FinishAlbumInfo(&task_), 0);

  // A second album of the same name is refused with the service's reason.
  CreateAlbumAnswer again = client_.CreateAlbum(name, "", false, "");
  EXPECT_FALSE(again.created);
  EXPECT_EQ(again.message.rfind("创建专辑失败！(Error:", 0), 0u) << again.message;
  EXPECT_GT(again.message.size(), std::string("创建专辑失败！(Error:)").size());
}

TEST_F(AlbumServiceEndToEndTest, RequestsWithoutASessionGiveTheServiceErrors) {
  session_.SetUid("1");
  session_.SetToken("forged");
  AlbumListAnswer list = client_.AlbumList();
  EXPECT_EQ(list.outcome, AlbumListOutcome::kServiceError);
  EXPECT_EQ(list.message.rfind("获取专辑列表失败!(Error:", 0), 0u) << list.message;
  EXPECT_TRUE(session_.CachedAlbumList().empty());

  // A quota refusal changes none of the limits.
  QuotaAnswer quota = client_.Quota();
  EXPECT_FALSE(quota.has_data);
  EXPECT_EQ(session_.PhotoLimit(), 300);
  EXPECT_EQ(session_.PerUploadSizeLimit(), 0u);
}

TEST_F(AlbumServiceEndToEndTest, AnUnreachableServiceReadsAsNetworkFailure) {
  session_.SetUid("1");
  session_.SetToken("t");
  std::string base;
  {
    // A port that was just free: nothing listens there any more.
    testserver::HttpTestServer gone;
    base = gone.Url("");
  }
  session_.SetAlbumListEndpoint(base + "/apis/client/client_get_ctginfo.php");
  session_.SetLoginEndpoint(base + "/apis/client/client_login.php");
  EXPECT_EQ(client_.AlbumList().message, "网络异常,获取专辑列表失败!");
  EXPECT_EQ(LogIn("demo", "demo").outcome, LoginOutcome::kRejected);
}

}  // namespace
