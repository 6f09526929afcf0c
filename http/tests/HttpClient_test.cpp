// The HTTP client's GET side: URL analysis, GET URL building, the request it
// sends, responses, and its failures with their codes.
#include <gtest/gtest.h>

#include <string>

#include "http/Corvo.h"
#include "platform/net/InternetConstants.h"
#include "tools/http-testserver/HttpTestServer.h"

namespace Corvo {
namespace {

using testserver::HttpTestServer;
using testserver::Reply;

std::string Part(const char* url, uint32_t index, uint32_t length) {
  return std::string(url + index, length);
}

TEST(HttpUrlAnalyzerTest, SplitsComponentsAsOffsets) {
  struct Case {
    const char* url;
    const char *scheme, *host, *port, *path, *query, *fragment;
  };
  const Case cases[] = {
      {"http://h.com:8080/p/q?a=1#f", "http", "h.com", "8080", "/p/q", "?a=1", "#f"},
      {"https://h.com", "https", "h.com", "", "", "", ""},
      {"h.com/p", "", "h.com", "", "/p", "", ""},
      {"http://h.com?x", "http", "h.com", "", "", "?x", ""},
      {"http://h.com:/p", "http", "h.com", "", "/p", "", ""},
      {"http://h.com#top?no", "http", "h.com", "", "", "", "#top?no"},
      {"http://中文.cn/路径?值", "http", "中文.cn", "", "/路径", "?值", ""},
  };
  for (const Case& c : cases) {
    CHttpUrlAnalyzerA a;
    a.Analyze(c.url);
    EXPECT_EQ(Part(c.url, 0, a.GetSchemeLen()), c.scheme) << c.url;
    EXPECT_EQ(Part(c.url, a.GetHostIdx(), a.GetHostLen()), c.host) << c.url;
    EXPECT_EQ(Part(c.url, a.GetPortIdx(), a.GetPortLen()), c.port) << c.url;
    EXPECT_EQ(Part(c.url, a.GetPathIdx(), a.GetPathLen()), c.path) << c.url;
    EXPECT_EQ(Part(c.url, a.GetQueryIdx(), a.GetQueryLen()), c.query) << c.url;
    EXPECT_EQ(Part(c.url, a.GetFragmentIdx(), a.GetFragmentLen()), c.fragment) << c.url;
    EXPECT_EQ(a.GetFragmentIdx() + a.GetFragmentLen(), std::string(c.url).size()) << c.url;
  }
  CHttpUrlAnalyzerA empty;
  empty.Analyze("");
  EXPECT_EQ(empty.GetFragmentIdx() + empty.GetHostIdx() + empty.GetPathIdx(), 0u);
  // A missing component starts where the one before it ends.
  CHttpUrlAnalyzerA a;
  a.Analyze("http://h.com/p");
  EXPECT_EQ(a.GetPortIdx(), 12u);
  EXPECT_EQ(a.GetQueryIdx(), 14u);
}

TEST(HttpUrlAnalyzerTest, RefusesUtf8AndUtf7CodePages) {
  CHttpUrlAnalyzerA a;
  try {
    a.Analyze("http://h/", CP_UTF8);
    FAIL();
  } catch (const httpclientexceptionA& e) {
    EXPECT_STREQ(
        e.what(),
        "CHttpUrlAnalyzerT::Analyze: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.");
  }
  EXPECT_THROW(a.Analyze("http://h/", CP_UTF7), httpclientexceptionA);
}

TEST(HttpClientGetUrlTest, AppendsParametersInNameOrder) {
  struct Case {
    const char* url;
    std::vector<std::tuple<const char*, const char*, uint32_t>> params;
    const char* expected;
  };
  const Case cases[] = {
      {"http://h/p", {{"b", "2", 0}, {"A", "1", 0}}, "http://h/p?A=1&b=2"},
      {"http://h/p?x=0", {{"a", "1", 0}}, "http://h/p?x=0&a=1"},
      {"http://h/p?", {{"a", "1", 0}}, "http://h/p?&a=1"},
      {"http://h:81", {{"a", "1", 0}}, "http://h:81/?a=1"},
      {"http://h/p#frag", {{"a", "1", 0}}, "http://h/p?a=1#frag"},
      {"http://h/p", {{"v", "a b&c", 0}}, "http://h/p?v=a+b%26c"},
      {"http://h/p", {{"v", "a b&c", ParamEncodedValue}}, "http://h/p?v=a b&c"},
      {"http://h/p", {{"n&m", "1", ParamEncodedName}, {"o p", nullptr, 0}}, "http://h/p?n&m=1&o+p="},
      {"http://h/p", {{"k", "中", 0}}, "http://h/p?k=%D6%D0"},
      {"http://h/p", {{"x", "1", 0}, {"X", "2", 0}}, "http://h/p?x=1&X=2"},
  };
  for (const Case& c : cases) {
    CHttpClientA client;
    for (const auto& [name, value, flags] : c.params) client.AddParam(name, value, flags);
    EXPECT_EQ(client.MakeGetUrl(c.url), c.expected) << c.url;
  }
  CHttpClientA none;
  EXPECT_EQ(none.MakeGetUrl("http://h/p?q#f"), "http://h/p?q#f");
  CHttpClientA utf8;
  utf8.SetUseUtf8(true);
  utf8.AddParam("k", "中");
  EXPECT_EQ(utf8.MakeGetUrl("http://h/"), "http://h/?k=%E4%B8%AD");
}

class HttpClientServerTest : public ::testing::Test {
 protected:
  HttpClientServerTest() { client_.SetAccessType(platform::net::INTERNET_OPEN_TYPE_DIRECT); }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(server_.Port()); }

  HttpTestServer server_;
  CHttpClientA client_;
};

TEST_F(HttpClientServerTest, RequestsTheObjectNamedByTheUrl) {
  struct Case {
    std::string suffix, target;
  };
  for (const Case& c : {Case{"", "/"}, Case{"?q=1", "/?q=1"}, Case{"/a/b?c=d", "/a/b?c=d"}}) {
    auto response = client_.SendGetRequest((Base() + c.suffix).c_str(), false);
    EXPECT_EQ(response->GetStatus(), 200u);
  }
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].target, "/");
  EXPECT_EQ(requests[1].target, "/?q=1");
  EXPECT_EQ(requests[2].target, "/a/b?c=d");
}

TEST_F(HttpClientServerTest, GetSendsQueryHeadersAndNoCache) {
  client_.SetHeader("Cookie", "s=1");
  client_.SetHeader("cookie", "s=2");  // replaces: names match without regard to case
  client_.SetUserAgent("Agent/1");
  client_.AddParam("word", "a b");
  auto response = client_.SendGetRequest((Base() + "/check").c_str(), false);
  char body[16] = {};
  EXPECT_EQ(response->ReadContent(reinterpret_cast<unsigned char*>(body), sizeof body - 1), 2u);
  EXPECT_STREQ(body, "OK");
  auto request = server_.Requests().at(0);
  EXPECT_EQ(request.target, "/check?word=a+b");
  EXPECT_EQ(request.Header("Cookie"), "s=2");
  EXPECT_EQ(request.Header("Cache-Control"), "no-cache");
  EXPECT_EQ(request.Header("User-Agent"), "Agent/1");
  EXPECT_EQ(request.Header("Accept"), "*/*");
}

TEST_F(HttpClientServerTest, ResponseHeadersByOccurrenceStatusTextAndLength) {
  Reply reply;
  reply.status = 201;
  reply.reason = "Created Here";
  reply.headers = {{"X-Twice", "one"}, {"X-Twice", "two"}, {"X-Blank", ""}};
  reply.body = "12345";
  server_.SetReply(reply);
  auto response = client_.SendGetRequest(Base().c_str(), false);
  EXPECT_EQ(response->GetStatus(), 201u);
  EXPECT_STREQ(response->GetStatusText(), "Created Here");
  EXPECT_STREQ(response->GetHeader("x-twice", 0), "one");
  EXPECT_STREQ(response->GetHeader("X-TWICE", 1), "two");
  EXPECT_EQ(response->GetHeader("X-Twice", 2), nullptr);
  EXPECT_STREQ(response->GetHeader("X-Blank"), "");
  EXPECT_EQ(response->GetHeader("X-Absent"), nullptr);
  uint32_t length = 0;
  EXPECT_TRUE(response->GetContentLength(length));
  EXPECT_EQ(length, 5u);

  Reply chunked;
  chunked.framing = Reply::Framing::kChunked;
  chunked.body = "abc";
  server_.SetReply(chunked);
  auto second = client_.SendGetRequest(Base().c_str(), false);
  EXPECT_FALSE(second->GetContentLength(length));
}

TEST_F(HttpClientServerTest, ResponseOutlivesItsClient) {
  std::unique_ptr<CHttpClientA::Response> response;
  {
    CHttpClientA client;
    client.SetAccessType(platform::net::INTERNET_OPEN_TYPE_DIRECT);
    response = client.SendGetRequest(Base().c_str(), false);
  }
  unsigned char buffer[8];
  EXPECT_EQ(response->ReadContent(buffer, sizeof buffer), 2u);
  EXPECT_EQ(response->ReadContent(buffer, sizeof buffer), 0u);
}

TEST_F(HttpClientServerTest, UrlAndPortErrorsHaveTheirCodes) {
  struct Case {
    std::string url;
    uint32_t code;
  };
  const Case cases[] = {
      {"http://127.0.0.1:65536/", HttpError::kInvalidPort},
      {"http://127.0.0.1:123456/", HttpError::kInvalidPort},
      {"http://127.0.0.1:80a/", HttpError::kInvalidPort},
      {"http:///path", HttpError::kInvalidUrl},
      {"http://:80/path", HttpError::kInvalidUrl},
  };
  for (const Case& c : cases) {
    try {
      client_.SendGetRequest(c.url.c_str(), false);
      ADD_FAILURE() << c.url;
    } catch (const httpclientexceptionA& e) {
      EXPECT_EQ(e.ErrorCode(), c.code) << c.url;
      EXPECT_STREQ(e.what(), ErrorMessageOf(c.code));
      EXPECT_EQ(e.PlatformError(), 0u);
    }
  }
}

// A tool that records what the client asks the platform for and stops there.
struct RecordingTool : CHttpToolA {
  static inline uint16_t port = 0;
  static inline uint32_t flags = 0;
  static inline std::string object;
  static HINTERNET OpenConnection(HINTERNET internet, const char* server, uint16_t p, const char* user,
                                  const char* password) {
    port = p;
    return CHttpToolA::OpenConnection(internet, server, p, user, password);
  }
  static HINTERNET OpenRequest(HINTERNET, const char*, const char* name, uint32_t f, const char*) {
    flags = f;
    object = name;
    throw httpclientexceptionA("recorded", HttpError::kUserDefined);
  }
};

TEST(HttpClientSecureTest, HttpsSchemeInAnyCaseSelectsPort443AndTheSecureFlag) {
  struct Case {
    const char* url;
    uint16_t port;
    bool secure;
    const char* object;
  };
  const Case cases[] = {
      {"HtTpS://127.0.0.1/a", 443, true, "/a"}, {"https://127.0.0.1:8443?q", 8443, true, "/?q"},
      {"http://127.0.0.1", 80, false, "/"},     {"http://127.0.0.1:65535/p?q#f", 65535, false, "/p?q#f"},
      {"httpx://127.0.0.1/", 80, false, "/"},
  };
  for (const Case& c : cases) {
    CHttpClientT<RecordingTool, CHttpEncoderA> client;
    client.SetAccessType(platform::net::INTERNET_OPEN_TYPE_DIRECT);
    try {
      client.SendGetRequest(c.url, false);
      ADD_FAILURE() << c.url;
    } catch (const httpclientexceptionA& e) {
      EXPECT_EQ(e.ErrorCode(), HttpError::kUserDefined) << c.url << ": " << e.what();
    }
    EXPECT_EQ(RecordingTool::port, c.port) << c.url;
    EXPECT_EQ((RecordingTool::flags & platform::net::INTERNET_FLAG_SECURE) != 0, c.secure) << c.url;
    EXPECT_EQ(RecordingTool::flags & ~platform::net::INTERNET_FLAG_SECURE, kHttpFlagsNoCache) << c.url;
    EXPECT_EQ(RecordingTool::object, c.object) << c.url;
  }
}

TEST(HttpClientArgumentsTest, ChecksHaveTheirOwnMessages) {
  CHttpClientA client;
  auto message = [](auto call) {
    try {
      call();
    } catch (const httpclientexceptionA& e) {
      EXPECT_EQ(e.ErrorCode(), 0u);
      return std::string(e.what());
    }
    return std::string("<no exception>");
  };
  EXPECT_EQ(message([&] { client.SetHeader(nullptr, "v"); }),
            "CHttpClientT::SetHeader: szName can not be NULL.");
  EXPECT_EQ(message([&] { client.SetHeader("n", ""); }),
            "CHttpClientT::SetHeader: szValue can not be an empty string.");
  EXPECT_EQ(message([&] { client.SetProxyAccount("u", nullptr); }),
            "CHttpClientT::SetProxyAccount: szPassword can not be NULL.");
  EXPECT_EQ(message([&] { client.OpenConnection(nullptr, "http://h/", nullptr, nullptr); }),
            "CHttpClientT::OpenConnection: hInternet can not be NULL.");
  EXPECT_EQ(message([&] { client.AddParam(nullptr); }), "CHttpClientMapT::Add: szName can not be NULL.");
}

TEST(HttpErrorTest, MessagesByCodeAndFormatting) {
  EXPECT_STREQ(ErrorMessageOf(0), "Not specified");
  EXPECT_STREQ(ErrorMessageOf(107), "The port number is not valid.");
  EXPECT_STREQ(ErrorMessageOf(113), "An interger divide by zero exception has been occurred.");
  EXPECT_STREQ(ErrorMessageOf(250), "");
  EXPECT_STREQ(ErrorMessageOf(410), "::InternetSetOption failed.");
  EXPECT_STREQ(ErrorMessageOf(605), "::GetFileSize failed (\"%s\").");
  EXPECT_STREQ(ErrorMessageOf(4242), "user-defined error message");

  auto thrown = [](uint32_t code, const char* argument) {
    try {
      ThrowHttpError(code, 5, argument, true);
    } catch (const httpclientexceptionA& e) {
      EXPECT_EQ(e.ErrorCode(), code);
      EXPECT_EQ(e.PlatformError(), 5u);
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_EQ(thrown(114, "/x/%s/y"), "The file (/x/%s/y) aleady exists.");
  EXPECT_EQ(thrown(605, nullptr), "::GetFileSize failed (\"NULL\").");
  EXPECT_EQ(thrown(100, "ignored"), "Unexpected error occurred.");
  std::string longPath(600, 'p');
  EXPECT_EQ(thrown(606, longPath.c_str()).size(), 511u);
  errmsg_exceptionA none;
  EXPECT_STREQ(none.GetErrorMessage(), "NULL");
  none.SetErrorMessage("set");
  EXPECT_STREQ(none.what(), "set");
}

}  // namespace
}  // namespace Corvo
