// The simple HTTP request task against the loopback server: results, body
// limits, header parsing, the worker thread with its completion message in a
// real message loop, stopping, secure mode by port, and the proxy choice.
#include "common/request/HttpRequestTask.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <thread>

#include "platform/window/Messaging.h"
#include "platform/window/Wnd.h"
#include "tools/http-testserver/HttpTestServer.h"
#include "tools/http-testserver/ScopedEnvironment.h"
#include "tools/http-testserver/TinyProxy.h"
#include "tools/testsupport/TempDir.h"

namespace common {
namespace {

using testserver::HttpTestServer;
using testserver::Reply;

TEST(HttpResponseHeadersTest, ParsesStatusLineAndUpperCasedNames) {
  CHttpResponseHeaders headers;
  EXPECT_EQ(headers.StatusCode(), -1);
  headers.Parse(
      "HTTP/1.1 404 Not Found\r\nContent-Length: 12\r\ncontent-type :  text/plain \r\nX-A: 1\r\nx-a: 2\r\n"
      "no colon here\r\nX-Tail: unterminated");
  EXPECT_EQ(headers.StatusCode(), 404);
  EXPECT_EQ(headers.Reason(), "Found");  // the text after the last blank
  ASSERT_NE(headers.Find("CONTENT-LENGTH"), nullptr);
  EXPECT_EQ(*headers.Find("CONTENT-LENGTH"), "12");
  EXPECT_EQ(*headers.Find("Content-Type"), "text/plain");
  EXPECT_EQ(*headers.Find("X-A"), "2");
  EXPECT_EQ(headers.Find("X-TAIL"), nullptr);
  EXPECT_EQ(headers.All().size(), 3u);

  headers.Parse("HTTP/1.0 200 OK\r\n\r\n");
  EXPECT_EQ(headers.StatusCode(), 200);
  EXPECT_EQ(headers.Reason(), "OK");
}

class HttpRequestTaskTest : public ::testing::Test {
 protected:
  HttpTestServer server_;
  CHttpRequestTask task_;
};

TEST_F(HttpRequestTaskTest, ResultsByStatus) {
  struct Case {
    int status;
    Reply::Framing framing;
    std::string body;
    int result;
    std::string expectedBody;
  };
  const Case cases[] = {
      {200, Reply::Framing::kContentLength, "hello", CHttpRequestTask::kResultOk, "hello"},
      {200, Reply::Framing::kChunked, "chunked body", CHttpRequestTask::kResultOk, "chunked body"},
      {304, Reply::Framing::kContentLength, "", CHttpRequestTask::kResultNotModified, ""},
      {404, Reply::Framing::kContentLength, "missing", CHttpRequestTask::kResultNone, ""},
  };
  for (const Case& c : cases) {
    Reply reply;
    reply.status = c.status;
    reply.framing = c.framing;
    reply.body = c.body;
    server_.SetReply(reply);
    EXPECT_EQ(task_.Run(server_.Url("/q?a=1").c_str()), 0) << c.status;
    EXPECT_EQ(task_.GetResult(), c.result) << c.status;
    EXPECT_STREQ(task_.GetBody(), c.expectedBody.c_str()) << c.status;
    EXPECT_EQ(task_.GetHeaders().StatusCode(), c.status);
    EXPECT_EQ(task_.GetRawHeaders().rfind("HTTP/1.1 " + std::to_string(c.status), 0), 0u);
  }
  auto request = server_.Requests().at(0);
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.target, "/q?a=1");
  EXPECT_EQ(request.Header("User-Agent"), "Microsoft Internet Explorer 6.0");
}

TEST_F(HttpRequestTaskTest, BodyIsCutAtTheAnnouncedOrDefaultLength) {
  Reply reply;
  reply.framing = Reply::Framing::kClose;  // no length: ends with the connection
  reply.body = std::string(1100000, 'b');
  server_.SetReply(reply);
  ASSERT_EQ(task_.Run(server_.Url("/").c_str()), 0);
  EXPECT_EQ(task_.GetResult(), CHttpRequestTask::kResultOk);
  ASSERT_EQ(task_.GetBodyLength(), CHttpRequestTask::kDefaultBodyLimit);
  EXPECT_EQ(task_.GetBody()[CHttpRequestTask::kDefaultBodyLimit], '\0');

  // An answer longer than its Content-Length is cut at that length.
  server_.SetHandler([](const testserver::RecordedRequest&) {
    Reply r;
    r.headers = {{"Content-Length", "4"}};
    r.framing = Reply::Framing::kClose;
    r.body = "1234567890";
    return r;
  });
  ASSERT_EQ(task_.Run(), 0);
  EXPECT_STREQ(task_.GetBody(), "1234");
}

TEST_F(HttpRequestTaskTest, PostSendsDataAndExtraHeaders) {
  task_.m_bPost = true;
  task_.m_strHeaders = "Content-Type: application/x-www-form-urlencoded\r\nX-Extra: yes\r\n";
  task_.SetPostData("a=1&b=2", 7);
  ASSERT_EQ(task_.Run(server_.Url("/post").c_str()), 0);
  auto request = server_.Requests().at(0);
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.body, "a=1&b=2");
  EXPECT_EQ(request.Header("Content-Length"), "7");
  EXPECT_EQ(request.Header("X-Extra"), "yes");
  EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
}

TEST_F(HttpRequestTaskTest, FailuresGiveMinusOneAndNoResult) {
  uint16_t deadPort;
  {
    HttpTestServer gone;
    deadPort = gone.Port();
  }
  const std::string cases[] = {
      "http://127.0.0.1:" + std::to_string(deadPort) + "/",
      "no-scheme.example/",
      "ftp://127.0.0.1/",
      "http://" + std::string(129, 'h') + "/",
      server_.Url("/" + std::string(2048, 'p')),
      "http://127.0.0.1:99999/",
  };
  for (const std::string& url : cases) {
    EXPECT_EQ(task_.Run(url.c_str()), -1) << url.substr(0, 40);
    EXPECT_EQ(task_.GetResult(), CHttpRequestTask::kResultNone);
    EXPECT_EQ(task_.GetBodyLength(), 0u);
  }
  // A connection dropped in the middle of the body is a failure, not a result.
  Reply reply;
  reply.body = std::string(5000, 'x');
  reply.dropAfter = 1000;
  server_.SetReply(reply);
  EXPECT_EQ(task_.Run(server_.Url("/").c_str()), -1);
  EXPECT_EQ(task_.GetResult(), CHttpRequestTask::kResultNone);
}

TEST_F(HttpRequestTaskTest, Port443SelectsSecureModeWhateverTheScheme) {
  // A bare listener on 127.0.0.1:443 sees whether the first bytes are a TLS
  // handshake (0x16) or a plain request line.
  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int yes = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(443);
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 4) != 0) {
    close(listener);
    GTEST_SKIP() << "port 443 on 127.0.0.1 cannot be bound here";
  }
  unsigned char first = 0;
  std::thread peer([&] {
    int s = accept(listener, nullptr, nullptr);
    if (s < 0) return;
    recv(s, &first, 1, 0);
    close(s);
  });
  EXPECT_EQ(task_.Run("http://127.0.0.1:443/x"), -1);
  peer.join();
  close(listener);
  EXPECT_EQ(first, 0x16);
}

// A window that records the completion message and ends the loop.
class NotifyWnd : public platform::CWnd {
 public:
  ~NotifyWnd() override { DestroyWindow(); }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == CHttpRequestTask::kCompletionMessage) {
      ++messages;
      url = reinterpret_cast<const char*>(wParam);
      task = reinterpret_cast<CHttpRequestTask*>(lParam);
      platform::PostQuitMessage(0);
      return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
  }
  int messages = 0;
  std::string url;
  CHttpRequestTask* task = nullptr;
};

// Ends the message loop of the test thread with code 99 when the test hangs.
class LoopWatchdog {
 public:
  explicit LoopWatchdog(HWND window, std::chrono::milliseconds limit)
      : thread_([this, window, limit] {
          std::unique_lock<std::mutex> guard(lock_);
          if (!done_.wait_for(guard, limit, [this] { return finished_; }))
            platform::PostMessage(window, WM_CLOSE);
        }) {}
  ~LoopWatchdog() {
    {
      std::lock_guard<std::mutex> guard(lock_);
      finished_ = true;
    }
    done_.notify_all();
    thread_.join();
  }

 private:
  std::mutex lock_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

TEST_F(HttpRequestTaskTest, WorkerPostsCompletionToTheStartingWindow) {
  NotifyWnd window;
  ASSERT_TRUE(window.CreateEx(0, platform::CWnd::RegisterWndClass(0), "notify", WS_OVERLAPPED,
                              platform::RECT{0, 0, 10, 10}, nullptr, 0));
  Reply reply;
  reply.body = "answer";
  reply.delay = std::chrono::milliseconds(100);
  server_.SetReply(reply);
  std::string url = server_.Url("/async");
  ASSERT_EQ(task_.Start(url.c_str(), window.m_hWnd), 0);
  EXPECT_FALSE(task_.IsIdle());
  EXPECT_EQ(task_.Start(url.c_str(), window.m_hWnd), -1);  // busy until Stop
  {
    LoopWatchdog watchdog(window.m_hWnd, std::chrono::seconds(10));
    platform::RunMessageLoop();
  }
  ASSERT_EQ(window.messages, 1) << "no completion message within the watchdog's time";
  EXPECT_EQ(window.task, &task_);
  EXPECT_EQ(window.url, url);
  EXPECT_FALSE(task_.IsIdle());  // the thread handle is held until Stop
  task_.Stop();
  EXPECT_TRUE(task_.IsIdle());
  EXPECT_EQ(task_.GetResult(), CHttpRequestTask::kResultOk);
  EXPECT_STREQ(task_.GetBody(), "answer");
  EXPECT_EQ(server_.Requests().size(), 1u);
  task_.Stop();  // idle: nothing happens
}

TEST_F(HttpRequestTaskTest, StopCancelsAHungRequestWithoutNotifying) {
  NotifyWnd window;
  ASSERT_TRUE(window.CreateEx(0, platform::CWnd::RegisterWndClass(0), "notify", WS_OVERLAPPED,
                              platform::RECT{0, 0, 10, 10}, nullptr, 0));
  Reply reply;
  reply.delay = std::chrono::seconds(30);
  server_.SetReply(reply);
  ASSERT_EQ(task_.Start(server_.Url("/hang").c_str(), window.m_hWnd), 0);
  ASSERT_TRUE(server_.WaitForRequests(1, std::chrono::seconds(10)));
  auto before = std::chrono::steady_clock::now();
  task_.Stop();
  auto took = std::chrono::steady_clock::now() - before;
  EXPECT_TRUE(task_.IsIdle());
  EXPECT_LT(took, std::chrono::seconds(10));
  EXPECT_EQ(task_.GetResult(), CHttpRequestTask::kResultNone);
  platform::MSG msg;
  EXPECT_FALSE(platform::PeekMessage(&msg, window.m_hWnd, CHttpRequestTask::kCompletionMessage,
                                     CHttpRequestTask::kCompletionMessage));
  // The task can be used again afterwards.
  server_.SetReply(Reply());
  EXPECT_EQ(task_.Run(server_.Url("/again").c_str()), 0);
  EXPECT_EQ(task_.GetResult(), CHttpRequestTask::kResultOk);
}

TEST_F(HttpRequestTaskTest, UsesTheConfiguredProxyOnlyWhenAsked) {
  testsupport::TempDir dir;
  if (testserver::TinyProxy::FindProgram().empty()) GTEST_SKIP() << "tinyproxy is not installed";
  testserver::TinyProxy proxy(dir.path());
  ASSERT_TRUE(proxy.Running()) << proxy.Error();
  testserver::ScopedEnvironment env;
  env.ClearProxyVariables();
  env.Set("PATH", (dir / "no-desktop-settings").string());
  struct Case {
    bool proxyConfigured, useProxy, throughProxy;
  };
  const Case cases[] = {{true, true, true}, {true, false, false}, {false, true, false}};
  size_t seen = 0;
  for (const Case& c : cases) {
    if (c.proxyConfigured)
      env.Set("http_proxy", "http://" + proxy.Address());
    else
      env.Unset("http_proxy");
    CHttpRequestTask task;
    task.SetUseProxy(c.useProxy);
    ASSERT_EQ(task.Run(server_.Url("/login").c_str()), 0);
    EXPECT_EQ(task.GetResult(), CHttpRequestTask::kResultOk);
    auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), ++seen);
    EXPECT_EQ(requests.back().Header("Via").find("tinyproxy") != std::string::npos, c.throughProxy)
        << c.proxyConfigured << c.useProxy;
  }
}

}  // namespace
}  // namespace common
