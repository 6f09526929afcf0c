// The multipart upload against the loopback server: the exact body bytes and
// announced lengths, the step protocol, the statistics, file failures and
// cancelling.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "http/Corvo.h"
#include "platform/net/InternetConstants.h"
#include "tools/http-testserver/HttpTestServer.h"
#include "tools/testsupport/TempDir.h"

namespace Corvo {
namespace {

using testserver::HttpTestServer;

std::string ReadTestData(const std::string& name) {
  std::ifstream in(std::string(TESSEL_TESTDATA_DIR) + "/" + name, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// A tool that counts file reads, to see the 57,344-byte read pieces.
struct CountingTool : CHttpToolA {
  static inline int reads = 0;
  static uint32_t ReadFromFile(FileHandle file, void* buffer, uint32_t size) {
    ++reads;
    return CHttpToolA::ReadFromFile(file, buffer, size);
  }
};

// Runs the upload to the end; returns the number of proceed calls.
template <typename Client>
int ProceedToEnd(Client& client, uint32_t step, std::unique_ptr<typename Client::Response>* response) {
  int calls = 0;
  while (!*response) {
    *response = client.ProceedPostContext(step);
    ++calls;
  }
  return calls;
}

class HttpUploadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    client_.SetAccessType(platform::net::INTERNET_OPEN_TYPE_DIRECT);
    client_.SetUseUtf8(false);
    client_.SetFailOnMissingFile(true);
  }
  // Uploads the parameters added to the client and returns what the server got.
  testserver::RecordedRequest Upload(uint32_t step = 16384) {
    client_.StartUploadContext(server_.Url("/upload?x=1").c_str(), false);
    std::unique_ptr<CHttpClientA::Response> response;
    ProceedToEnd(client_, step, &response);
    EXPECT_EQ(response->GetStatus(), 200u);
    return server_.Requests().at(0);
  }

  HttpTestServer server_;
  testsupport::TempDir dir_;
  CHttpClientA client_;
};

TEST_F(HttpUploadTest, BoundaryHasTheFixedShape) {
  std::string boundary = client_.GetBoundary();
  ASSERT_EQ(boundary.size(), 43u);
  EXPECT_EQ(boundary.substr(0, 10), "----NEBUL-");
  EXPECT_EQ(boundary.back(), '-');
  EXPECT_EQ(boundary.find_first_not_of("0123456789abcdef", 10), 42u);
  EXPECT_EQ(client_.GetUploadContType(), "multipart/form-data; boundary=" + boundary);
  EXPECT_NE(CHttpClientA().GetBoundary(), boundary);
}

TEST_F(HttpUploadTest, OnePlainParameterBodyIsExactAnd143Bytes) {
  client_.AddParam("n", "v");
  auto request = Upload();
  std::string expected = Replace(ReadTestData("one-plain-param.txt"), "{B}", client_.GetBoundary());
  EXPECT_EQ(request.body, expected);
  EXPECT_EQ(request.Header("Content-Length"), "143");
  EXPECT_EQ(request.Header("Content-Type"), client_.GetUploadContType());
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, "/upload?x=1");
}

TEST_F(HttpUploadTest, NoParametersSendOnlyTheClosingLine) {
  client_.StartUploadContext(server_.Url("/").c_str(), false);
  CHttpPostStatA stat;
  client_.QueryPostStat(stat);
  EXPECT_EQ(stat.ActualTotalByte(), 43u + 8u);
  EXPECT_EQ(client_.ProceedPostContext(100), nullptr);
  auto response = client_.ProceedPostContext(100);
  ASSERT_NE(response, nullptr);
  EXPECT_EQ(server_.Requests().at(0).body,
            Replace(ReadTestData("no-params.txt"), "{B}", client_.GetBoundary()));
}

TEST_F(HttpUploadTest, PartsFollowNameOrderWithFileContentAndMime) {
  std::string png = std::string("\x89PNG\r\n\x1A\n", 8) + std::string(3000, '\x01');
  std::string path = dir_.WriteFile("a picture.png", png).string();
  client_.AddParam("pic1", path.c_str(), ParamFile);
  client_.AddParam("empty", nullptr);
  client_.AddParam("Album", "12 34");
  auto request = Upload(1000);
  std::string expected = ReadTestData("file-and-plain-params.txt");
  expected =
      Replace(Replace(Replace(expected, "{B}", client_.GetBoundary()), "{PATH}", path), "{CONTENT}", png);
  EXPECT_EQ(request.body, expected);
  EXPECT_EQ(request.Header("Content-Length"), std::to_string(expected.size()));
}

TEST_F(HttpUploadTest, RequestHeadersComeInOrderWithNoCache) {
  client_.SetHeader("X-Second", "2");
  client_.SetHeader("X-First", "1");
  client_.AddParam("n", "v");
  auto request = Upload();
  const std::string& raw = request.raw;
  size_t cache = raw.find("Cache-Control: no-cache\r\n");
  size_t first = raw.find("X-First: 1\r\n"), second = raw.find("X-Second: 2\r\n");
  size_t type = raw.find("Content-Type: multipart/form-data; boundary=");
  ASSERT_NE(cache, std::string::npos);
  EXPECT_LT(cache, first);
  EXPECT_LT(first, second);
  EXPECT_LT(second, type);
  EXPECT_EQ(request.Header("Pragma"), "no-cache");
  EXPECT_EQ(request.Header("User-Agent"), "Corvo HTTP Client Class");
}

TEST_F(HttpUploadTest, NamesGoOutInTheCodePageOrInUtf8) {
  for (bool utf8 : {false, true}) {
    HttpTestServer server;
    CHttpClientA client;
    client.SetAccessType(platform::net::INTERNET_OPEN_TYPE_DIRECT);
    client.SetUseUtf8(utf8);
    client.AddParam("中", "文");
    client.StartUploadContext(server.Url("/").c_str(), false);
    std::unique_ptr<CHttpClientA::Response> response;
    ProceedToEnd(client, 16384, &response);
    std::string body = server.Requests().at(0).body;
    std::string name = utf8 ? "\xE4\xB8\xAD" : "\xD6\xD0", value = utf8 ? "\xE6\x96\x87" : "\xCE\xC4";
    EXPECT_NE(body.find("name=\"" + name + "\"\r\n\r\n" + value + "\r\n"), std::string::npos) << utf8;
  }
}

TEST_F(HttpUploadTest, FileUploadTakesHeaderContentClosingAndFinalSteps) {
  struct Case {
    uint32_t size, step;
    int calls;
  };
  for (const Case& c : {Case{40000, 16384, 6}, Case{16384, 16384, 4}, Case{0, 16384, 3}, Case{1, 16384, 4}}) {
    HttpTestServer server;
    CHttpClientA client;
    client.SetAccessType(platform::net::INTERNET_OPEN_TYPE_DIRECT);
    std::string path = dir_.WriteFile("f" + std::to_string(c.size), std::string(c.size, 'q')).string();
    client.AddParam("pic", path.c_str(), ParamFile);
    client.StartUploadContext(server.Url("/").c_str(), false);
    std::unique_ptr<CHttpClientA::Response> response;
    EXPECT_EQ(ProceedToEnd(client, c.step, &response), c.calls) << "size " << c.size;
    EXPECT_FALSE(client.IsPostContextActive());
    EXPECT_EQ(server.Requests().at(0).bodyBytes,
              std::stoul(server.Requests().at(0).Header("Content-Length")));
  }
}

TEST_F(HttpUploadTest, FileSlicesAreReadInPiecesOf57344Bytes) {
  for (auto [size, reads] : {std::pair<uint32_t, int>{57344, 1}, {57345, 2}}) {
    HttpTestServer server;
    CHttpClientT<CountingTool, CHttpEncoderA> client;
    client.SetAccessType(platform::net::INTERNET_OPEN_TYPE_DIRECT);
    std::string path = dir_.WriteFile("piece" + std::to_string(size), std::string(size, 'p')).string();
    client.AddParam("pic", path.c_str(), ParamFile);
    client.StartUploadContext(server.Url("/").c_str(), false);
    client.ProceedPostContext(65536);  // the part header
    CountingTool::reads = 0;
    client.ProceedPostContext(65536);  // the whole content in one slice
    EXPECT_EQ(CountingTool::reads, reads) << size;
    EXPECT_TRUE(client.CancelPostContext());
  }
}

TEST_F(HttpUploadTest, StatisticsShowTheFirstParameterBeforeTheFirstStep) {
  std::string path = dir_.WriteFile("s.bin", std::string(5000, 's')).string();
  client_.AddParam("pic", path.c_str(), ParamFile);
  client_.StartUploadContext(server_.Url("/").c_str(), false);
  CHttpPostStatA stat;
  client_.QueryPostStat(stat);
  EXPECT_EQ(stat.PostedCount(), 1u);
  EXPECT_TRUE(stat.CurrParamIsFile());
  EXPECT_STREQ(stat.CurrFile(), path.c_str());
  EXPECT_STREQ(stat.CurrParam(), "pic");
  EXPECT_EQ(stat.CurrParamPostedByte(), 0u);
  EXPECT_EQ(stat.CurrParamTotalByte(), 5000u);
  EXPECT_EQ(stat.TotalByte(), 5000u);
  EXPECT_EQ(stat.FileCount(), 1u);

  client_.ProceedPostContext(16384);
  client_.ProceedPostContext(2000);
  client_.QueryPostStat(stat);
  EXPECT_EQ(stat.PostedCount(), 1u);
  EXPECT_EQ(stat.PostedByte(), 2000u);
  EXPECT_EQ(stat.CurrParamRemainByte(), 3000u);
  EXPECT_FALSE(stat.CurrParamIsComplete());

  std::unique_ptr<CHttpClientA::Response> response;
  ProceedToEnd(client_, 16384, &response);
  EXPECT_FALSE(client_.IsPostContextActive());
  client_.QueryPostStat(stat);
  try {
    stat.PostedByte();
    FAIL() << "inactive statistics must refuse";
  } catch (const httpclientexceptionA& e) {
    EXPECT_EQ(e.ErrorCode(), 0u);
    EXPECT_STREQ(e.what(), "CHttpPostStatT::PostedByte: The post context is not active.");
  }
}

TEST_F(HttpUploadTest, MissingFileFailsAtStartOrIsSentEmpty) {
  std::string path = (dir_ / "no such.jpg").string();
  client_.AddParam("pic", path.c_str(), ParamFile);
  try {
    client_.StartUploadContext(server_.Url("/").c_str(), false);
    FAIL() << "the missing file must fail the start";
  } catch (const httpclientexceptionA& e) {
    EXPECT_EQ(e.ErrorCode(), HttpError::kFileOpen);
    EXPECT_EQ(e.PlatformError(), platform::net::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(std::string(e.what()), "打开或生成文件失败(\"" + path + "\").");
  }
  EXPECT_FALSE(client_.IsPostContextActive());

  client_.SetFailOnMissingFile(false);
  auto request = Upload();
  EXPECT_EQ(request.body,
            Replace(Replace(ReadTestData("missing-file.txt"), "{B}", client_.GetBoundary()), "{PATH}", path));
}

TEST_F(HttpUploadTest, FileChangedAfterTheStartIsRefused) {
  std::string path = dir_.WriteFile("shrinks.bin", std::string(20000, 'x')).string();
  client_.AddParam("pic", path.c_str(), ParamFile);
  client_.StartUploadContext(server_.Url("/").c_str(), false);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << "short";
  try {
    client_.ProceedPostContext(16384);
    FAIL() << "a changed file must not be sent";
  } catch (const httpclientexceptionA& e) {
    EXPECT_EQ(e.ErrorCode(), HttpError::kReadUnexpectedSize);
  }
  EXPECT_FALSE(client_.IsPostContextActive());
}

TEST_F(HttpUploadTest, CancelMidBodyClosesTheConnection) {
  std::string path = dir_.WriteFile("big.bin", std::string(3000000, 'b')).string();
  client_.AddParam("pic", path.c_str(), ParamFile);
  client_.StartUploadContext(server_.Url("/").c_str(), false);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(client_.ProceedPostContext(16384), nullptr);
  EXPECT_TRUE(client_.CancelPostContext());
  EXPECT_FALSE(client_.CancelPostContext());
  ASSERT_TRUE(server_.WaitForRequests(1, std::chrono::seconds(10)));
  auto request = server_.Requests().at(0);
  EXPECT_FALSE(request.complete);
  EXPECT_LT(request.bodyBytes, 3000000u);
}

TEST_F(HttpUploadTest, ProtocolMisuseFailsWithItsMessages) {
  try {
    client_.ProceedPostContext(16384);
    FAIL();
  } catch (const httpclientexceptionA& e) {
    EXPECT_EQ(e.ErrorCode(), HttpError::kPostNotStarted);
    EXPECT_STREQ(e.what(), "The post context is not started yet.");
  }
  client_.AddParam("n", "v");
  client_.StartUploadContext(server_.Url("/").c_str(), false);
  for (auto call : {+[](CHttpClientA& c) { c.AddParam("x", "y"); }, +[](CHttpClientA& c) { c.ClearParam(); },
                    +[](CHttpClientA& c) { c.SetUseUtf8(true); }}) {
    try {
      call(client_);
      FAIL();
    } catch (const httpclientexceptionA& e) {
      EXPECT_NE(std::string(e.what()).find(
                    ": It is not allowed to call this method if the POST context is active."),
                std::string::npos);
    }
  }
  try {
    client_.ProceedPostContext(0);
    FAIL();
  } catch (const httpclientexceptionA& e) {
    EXPECT_STREQ(e.what(), "CHttpClientT::_ProceedUploadContext: nDesired can not be zero.");
  }
  EXPECT_FALSE(client_.IsPostContextActive());
}

TEST_F(HttpUploadTest, ConnectFailureCarriesThePlatformError) {
  uint16_t deadPort;
  {
    HttpTestServer gone;
    deadPort = gone.Port();
  }
  client_.AddParam("n", "v");
  client_.StartUploadContext(("http://127.0.0.1:" + std::to_string(deadPort) + "/").c_str(), false);
  try {
    std::unique_ptr<CHttpClientA::Response> response;
    ProceedToEnd(client_, 16384, &response);
    FAIL();
  } catch (const httpclientexceptionA& e) {
    // The refusal shows at the next write or at the end of the body.
    EXPECT_TRUE(e.ErrorCode() == HttpError::kInternetWriteFile || e.ErrorCode() == HttpError::kEndRequest)
        << e.ErrorCode();
    EXPECT_EQ(e.PlatformError(), platform::net::ERROR_INTERNET_CANNOT_CONNECT);
  }
  EXPECT_FALSE(client_.IsPostContextActive());
}

}  // namespace
}  // namespace Corvo
