// The internet client against the loopback test server: request bytes,
// answers, streaming bodies, connection reuse, failures and their numbers.
#include "platform/net/Internet.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "tools/http-testserver/HttpTestServer.h"

namespace platform::net {
namespace {

using testserver::HttpTestServer;
using testserver::Reply;

// Handles closed at scope exit, children first.
struct Handles {
  HINTERNET session = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  ~Handles() {
    if (request) InternetCloseHandle(request);
    if (connection) InternetCloseHandle(connection);
    if (session) InternetCloseHandle(session);
  }
};

const char* const kAcceptAll[] = {"*/*", nullptr};

class InternetTest : public ::testing::Test {
 protected:
  // Opens session, connection and request to the test server.
  void Open(const char* verb, const char* object, uint32_t flags = 0) {
    h_.session = InternetOpen("TestAgent", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    ASSERT_NE(h_.session, nullptr);
    h_.connection =
        InternetConnect(h_.session, "127.0.0.1", server_.Port(), nullptr, nullptr, INTERNET_SERVICE_HTTP, 0);
    ASSERT_NE(h_.connection, nullptr);
    h_.request = HttpOpenRequest(h_.connection, verb, object, "HTTP/1.1", nullptr, kAcceptAll, flags);
    ASSERT_NE(h_.request, nullptr);
  }

  std::string QueryText(uint32_t level, const std::string& name = "", uint32_t* index = nullptr) {
    char buffer[4096];
    std::snprintf(buffer, sizeof buffer, "%s", name.c_str());
    uint32_t length = sizeof buffer;
    if (!HttpQueryInfo(h_.request, level, buffer, &length, index))
      return "<error " + std::to_string(GetLastError()) + ">";
    return std::string(buffer, length);
  }

  std::string ReadAll() {
    std::string body;
    char buffer[7000];
    uint32_t read = 0;
    while (InternetReadFile(h_.request, buffer, sizeof buffer, &read) && read > 0) body.append(buffer, read);
    return body;
  }

  HttpTestServer server_;
  Handles h_;
};

TEST_F(InternetTest, GetSendsRequestLineAgentAcceptAndAddedHeadersInOrder) {
  Open("GET", "/a/b?x=1", INTERNET_FLAG_PRAGMA_NOCACHE);
  ASSERT_TRUE(HttpAddRequestHeaders(h_.request, "X-One: 1\r\nX-Two: 2\r\n", static_cast<size_t>(-1),
                                    HTTP_ADDREQ_FLAG_ADD));
  ASSERT_TRUE(HttpSendRequest(h_.request, nullptr, 0, nullptr, 0));
  ASSERT_EQ(ReadAll(), "OK");
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const auto& r = requests[0];
  EXPECT_EQ(r.raw.substr(0, r.raw.find("\r\n")), "GET /a/b?x=1 HTTP/1.1");
  EXPECT_EQ(r.Header("User-Agent"), "TestAgent");
  EXPECT_EQ(r.Header("Accept"), "*/*");
  EXPECT_EQ(r.Header("Pragma"), "no-cache");
  EXPECT_FALSE(r.HasHeader("Expect"));
  EXPECT_FALSE(r.HasHeader("Content-Type"));
  EXPECT_LT(r.raw.find("X-One: 1\r\n"), r.raw.find("X-Two: 2\r\n"));
}

TEST_F(InternetTest, HeaderModifiersAddReplaceAndAddIfNew) {
  Open("GET", "/");
  ASSERT_TRUE(HttpAddRequestHeaders(h_.request, "A: 1", 4, HTTP_ADDREQ_FLAG_ADD));
  ASSERT_TRUE(HttpAddRequestHeaders(h_.request, "A: 2", 4, HTTP_ADDREQ_FLAG_REPLACE));
  EXPECT_FALSE(HttpAddRequestHeaders(h_.request, "A: 3", 4, HTTP_ADDREQ_FLAG_ADD_IF_NEW));
  EXPECT_EQ(GetLastError(), ERROR_HTTP_HEADER_ALREADY_EXISTS);
  ASSERT_TRUE(HttpAddRequestHeaders(h_.request, "B: 1", 4, HTTP_ADDREQ_FLAG_ADD_IF_NEW));
  ASSERT_TRUE(HttpAddRequestHeaders(h_.request, "B:", 2, HTTP_ADDREQ_FLAG_REPLACE));
  // A line break inside a value would smuggle a header of its own.
  EXPECT_FALSE(HttpAddRequestHeaders(h_.request, "C: x\rD: y", 9, HTTP_ADDREQ_FLAG_ADD));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  ASSERT_TRUE(HttpSendRequest(h_.request, nullptr, 0, nullptr, 0));
  auto r = server_.Requests().at(0);
  EXPECT_EQ(r.Header("A"), "2");
  EXPECT_FALSE(r.HasHeader("B"));
  EXPECT_FALSE(r.HasHeader("D"));
}

TEST_F(InternetTest, QueriesStatusHeadersByOccurrenceAndContentLength) {
  Reply reply;
  reply.status = 404;
  reply.reason = "Not Found";
  reply.headers = {{"Set-Cookie", "a=1"}, {"Set-Cookie", "b=2"}, {"X-Empty", ""}};
  reply.body = "missing";
  server_.SetReply(reply);
  Open("GET", "/");
  ASSERT_TRUE(HttpSendRequest(h_.request, nullptr, 0, nullptr, 0));

  uint32_t status = 0, length = sizeof status;
  ASSERT_TRUE(
      HttpQueryInfo(h_.request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr));
  EXPECT_EQ(status, 404u);
  EXPECT_EQ(QueryText(HTTP_QUERY_STATUS_TEXT), "Not Found");
  uint32_t index = 0;
  EXPECT_EQ(QueryText(HTTP_QUERY_CUSTOM, "set-cookie", &index), "a=1");
  EXPECT_EQ(index, 1u);
  EXPECT_EQ(QueryText(HTTP_QUERY_CUSTOM, "Set-Cookie", &index), "b=2");
  EXPECT_EQ(QueryText(HTTP_QUERY_CUSTOM, "Set-Cookie", &index),
            "<error " + std::to_string(ERROR_HTTP_HEADER_NOT_FOUND) + ">");
  EXPECT_EQ(QueryText(HTTP_QUERY_CUSTOM, "X-Empty"), "");
  uint32_t contentLength = 0;
  length = sizeof contentLength;
  ASSERT_TRUE(HttpQueryInfo(h_.request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &contentLength,
                            &length, nullptr));
  EXPECT_EQ(contentLength, 7u);
  std::string raw = QueryText(HTTP_QUERY_RAW_HEADERS_CRLF);
  EXPECT_EQ(raw.substr(0, 24), "HTTP/1.1 404 Not Found\r\n");
  EXPECT_EQ(raw.substr(raw.size() - 4), "\r\n\r\n");
  EXPECT_EQ(ReadAll(), "missing");
}

TEST_F(InternetTest, TooSmallBufferReportsTheSizeNeeded) {
  Reply reply;
  reply.headers = {{"X-Long", "0123456789"}};
  server_.SetReply(reply);
  Open("GET", "/");
  ASSERT_TRUE(HttpSendRequest(h_.request, nullptr, 0, nullptr, 0));
  char buffer[16] = "X-Long";
  uint32_t length = 7;
  EXPECT_FALSE(HttpQueryInfo(h_.request, HTTP_QUERY_CUSTOM, buffer, &length, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(length, 11u);
  ASSERT_TRUE(HttpQueryInfo(h_.request, HTTP_QUERY_CUSTOM, buffer, &length, nullptr));
  EXPECT_STREQ(buffer, "0123456789");
}

TEST_F(InternetTest, ChunkedAnswerHasNoContentLengthAndReadsWhole) {
  Reply reply;
  reply.framing = Reply::Framing::kChunked;
  reply.body = std::string(25000, 'c') + "end";
  server_.SetReply(reply);
  Open("GET", "/");
  ASSERT_TRUE(HttpSendRequest(h_.request, nullptr, 0, nullptr, 0));
  uint32_t value = 0, length = sizeof value;
  EXPECT_FALSE(HttpQueryInfo(h_.request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &value, &length,
                             nullptr));
  EXPECT_EQ(GetLastError(), ERROR_HTTP_HEADER_NOT_FOUND);
  EXPECT_EQ(ReadAll(), reply.body);
}

TEST_F(InternetTest, BodyWrittenInStepsArrivesWholeWithContentLength) {
  Open("POST", "/upload");
  std::string body;
  for (int i = 0; i < 200000; ++i) body += static_cast<char>('a' + i % 26);
  ASSERT_TRUE(HttpAddRequestHeaders(h_.request, "Content-Type: x/y", 17, HTTP_ADDREQ_FLAG_ADD));
  ASSERT_TRUE(HttpSendRequestEx(h_.request, body.size()));
  for (size_t pos = 0; pos < body.size(); pos += 16384) {
    uint32_t n = static_cast<uint32_t>(std::min<size_t>(16384, body.size() - pos)), written = 0;
    ASSERT_TRUE(InternetWriteFile(h_.request, body.data() + pos, n, &written));
    EXPECT_EQ(written, n);
  }
  ASSERT_TRUE(HttpEndRequest(h_.request));
  EXPECT_EQ(ReadAll(), "OK");
  auto r = server_.Requests().at(0);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.Header("Content-Length"), std::to_string(body.size()));
  EXPECT_EQ(r.Header("Content-Type"), "x/y");
  EXPECT_EQ(r.body, body);
}

TEST_F(InternetTest, WritingMoreOrLessThanAnnouncedFails) {
  Open("POST", "/");
  ASSERT_TRUE(HttpSendRequestEx(h_.request, 4));
  uint32_t written = 0;
  EXPECT_FALSE(InternetWriteFile(h_.request, "12345", 5, &written));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  ASSERT_TRUE(InternetWriteFile(h_.request, "123", 3, &written));
  EXPECT_FALSE(HttpEndRequest(h_.request));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_STATE);
}

TEST_F(InternetTest, ClosingARequestMidBodyDropsTheConnection) {
  Open("POST", "/");
  ASSERT_TRUE(HttpSendRequestEx(h_.request, 1000000));
  std::string piece(16384, 'z');
  uint32_t written = 0;
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(InternetWriteFile(h_.request, piece.data(), 16384, &written));
  ASSERT_TRUE(InternetCloseHandle(h_.request));
  h_.request = nullptr;
  ASSERT_TRUE(server_.WaitForRequests(1, std::chrono::seconds(10)));
  auto r = server_.Requests().at(0);
  EXPECT_FALSE(r.complete);
  EXPECT_LE(r.bodyBytes, 20u * 16384);
}

TEST_F(InternetTest, KeepConnectionReusesOneConnectionPerSession) {
  for (uint32_t flags : {INTERNET_FLAG_KEEP_CONNECTION, 0u}) {
    HttpTestServer server;
    Handles h;
    h.session = InternetOpen("A", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    h.connection =
        InternetConnect(h.session, "127.0.0.1", server.Port(), nullptr, nullptr, INTERNET_SERVICE_HTTP, 0);
    for (int i = 0; i < 3; ++i) {
      HINTERNET request = HttpOpenRequest(h.connection, "GET", "/", nullptr, nullptr, nullptr, flags);
      ASSERT_TRUE(HttpSendRequest(request, nullptr, 0, nullptr, 0));
      char buffer[16];
      uint32_t read = 0;
      while (InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0) {
      }
      InternetCloseHandle(request);
    }
    EXPECT_EQ(server.ConnectionCount(), flags != 0 ? 1 : 3) << "flags " << flags;
  }
}

TEST_F(InternetTest, FailuresCarryInternetErrorNumbers) {
  // A port nobody listens on: take a fresh server's port and stop the server.
  uint16_t deadPort;
  {
    HttpTestServer gone;
    deadPort = gone.Port();
  }
  Handles h;
  h.session = InternetOpen("A", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  h.connection =
      InternetConnect(h.session, "127.0.0.1", deadPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0);
  h.request = HttpOpenRequest(h.connection, "GET", "/", nullptr, nullptr, nullptr, 0);
  EXPECT_FALSE(HttpSendRequest(h.request, nullptr, 0, nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);

  EXPECT_FALSE(InternetCloseHandle(reinterpret_cast<HINTERNET>(&h)));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(HttpOpenRequest(h.session, "GET", "/", nullptr, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
}

TEST_F(InternetTest, SlowAnswerTimesOut) {
  Reply reply;
  reply.delay = std::chrono::milliseconds(3000);
  server_.SetReply(reply);
  Open("GET", "/");
  uint32_t timeout = 200;
  ASSERT_TRUE(InternetSetOption(h_.request, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout));
  EXPECT_FALSE(HttpSendRequest(h_.request, nullptr, 0, nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_TIMEOUT);
}

TEST_F(InternetTest, ConnectionDroppedHalfWayFailsTheRead) {
  Reply reply;
  reply.body = std::string(5000, 'd');
  reply.dropAfter = 2000;
  server_.SetReply(reply);
  Open("GET", "/");
  ASSERT_TRUE(HttpSendRequest(h_.request, nullptr, 0, nullptr, 0));
  char buffer[8192];
  uint32_t read = 0;
  bool ok = true;
  while ((ok = InternetReadFile(h_.request, buffer, sizeof buffer, &read)) && read > 0) {
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_CONNECTION_ABORTED);
}

TEST_F(InternetTest, CancelFromAnotherThreadEndsAWait) {
  Reply reply;
  reply.delay = std::chrono::milliseconds(20000);
  server_.SetReply(reply);
  Open("GET", "/");
  std::thread canceller([&] {
    server_.WaitForRequests(1, std::chrono::seconds(10));
    InternetCancel(h_.session);
  });
  EXPECT_FALSE(HttpSendRequest(h_.request, nullptr, 0, nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_OPERATION_CANCELLED);
  canceller.join();
}

TEST_F(InternetTest, ObjectNameCannotBreakTheRequestLine) {
  Open("GET", "/a b\r\nX-Evil: 1");
  ASSERT_TRUE(HttpSendRequest(h_.request, nullptr, 0, nullptr, 0));
  auto r = server_.Requests().at(0);
  EXPECT_EQ(r.target, "/a%20b%0D%0AX-Evil:%201");
  EXPECT_FALSE(r.HasHeader("X-Evil"));
}

}  // namespace
}  // namespace platform::net
