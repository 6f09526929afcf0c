#include "control/protocol/KeywordCheck.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "control/protocol/AlbumRequests.h"
#include "tools/http-testserver/HttpTestServer.h"

namespace {

using album_protocol::KeywordVerdict;
using album_protocol::RunKeywordCheck;

testserver::Reply Answer(int status, const std::string& body) {
  testserver::Reply reply;
  reply.status = status;
  reply.body = body;
  return reply;
}

struct VerdictCase {
  const char* what;
  int status;
  const char* body;
  KeywordVerdict verdict;
};

TEST(KeywordCheckTest, VerdictFromTheFirstBytesOfTheAnswer) {
  const VerdictCase cases[] = {
      {"ok", 200, "+OK", KeywordVerdict::kAccepted},
      {"ok in lower case with a tail", 200, "+ok and a long tail that is never read",
       KeywordVerdict::kAccepted},
      {"refused", 200, "-ERROR:107:forbidden word", KeywordVerdict::kRefused},
      {"empty", 200, "", KeywordVerdict::kRefused},
  };
  testserver::HttpTestServer server;
  for (const VerdictCase& c : cases) {
    SCOPED_TRACE(c.what);
    server.SetReply(Answer(c.status, c.body));
    EXPECT_EQ(RunKeywordCheck(server.Url("/check?keyword=x"), "Agent"), c.verdict);
  }
}

TEST(KeywordCheckTest, SendsTheUrlAsBuiltWithTheGivenAgent) {
  testserver::HttpTestServer server;
  server.SetReply(Answer(200, "+OK"));
  std::string url =
      album_protocol::TagCheckUrl(server.Url("/interface/check_key_word.php?keyword="), " 春天 a,b ");
  ASSERT_EQ(RunKeywordCheck(url, "VORO Trovix 2.0"), KeywordVerdict::kAccepted);
  ASSERT_TRUE(server.WaitForRequests(1, std::chrono::seconds(5)));
  testserver::RecordedRequest request = server.Requests().at(0);
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.target, "/interface/check_key_word.php?keyword=%B4%BA%CC%EC%20a,b");
  EXPECT_EQ(request.Header("User-Agent"), "VORO Trovix 2.0");
}

TEST(KeywordCheckTest, AClientFailureCountsAsAccepted) {
  std::string url;
  {
    // A port that was just free: nothing listens there any more.
    testserver::HttpTestServer gone;
    url = gone.Url("/check?keyword=x");
  }
  EXPECT_EQ(RunKeywordCheck(url, "Agent"), KeywordVerdict::kAccepted);
  EXPECT_EQ(RunKeywordCheck("http://127.0.0.1:99999/bad-port", "Agent"), KeywordVerdict::kAccepted);
}

}  // namespace
