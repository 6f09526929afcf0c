// Fault switches, oversized bodies, the request log and persistence across
// a restart.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "tools/album-service/tests/ServiceFixture.h"

namespace albumservice::tests {
namespace {

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

class FaultTest : public ServiceTest {
 protected:
  void SetFault(const std::string& query) { ASSERT_EQ(Get(Url("/_test/fault?" + query)).body, "+OK"); }
};

TEST_F(FaultTest, StatusAndGarbageReplaceTheAnswerForTheirTimes) {
  SetFault("path=/apis/client/client_login.php&status=503&times=2");
  EXPECT_EQ(Get(Url("/apis/client/client_login.php?name=demo&pass=demo")).status, 503);
  EXPECT_EQ(Get(Url("/apis/client/client_login.php?name=demo&pass=demo")).status, 503);
  EXPECT_EQ(Login().uid, "10001");  // the third is normal again

  SetFault("path=/apis/client/client_get_photoinfo.php&garbage=1");
  for (int i = 0; i < 2; ++i) {
    HttpAnswer answer = Get(Url("/apis/client/client_get_photoinfo.php?uid=1&token=x"));
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body.find("<root>"), std::string::npos);
    EXPECT_NE(answer.body.substr(0, 5), "error");
  }
  EXPECT_EQ(Get(Url("/_test/clear?path=/apis/client/client_get_photoinfo.php")).body, "+OK");
  EXPECT_EQ(Get(Url("/apis/client/client_get_photoinfo.php?uid=1&token=x")).body.rfind("error", 0), 0u);
}

TEST_F(FaultTest, LatencyDelaysTheAnswer) {
  SetFault("path=*&latency_ms=300&times=1");
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Get(Url("/interface/check_key_word.php?keyword=x")).body, "+OK");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
}

TEST_F(FaultTest, CloseAfterCutsAnUploadMidBodyAndStoresNothing) {
  LoginSession s = Login();
  SetFault("path=/interface/pic_upload.php&close_after=10000&times=1");
  HttpAnswer cut = Upload(s, FakeJpeg(400000));
  EXPECT_NE(cut.error, CURLE_OK);
  EXPECT_TRUE(cut.body.empty());
  EXPECT_NE(service_->RunTool({"--list"}).find("pending uploads: 0\n"), std::string::npos);
  // The service goes on, and the next upload works.
  EXPECT_FALSE(UploadReceipt(s, FakeJpeg(400000)).empty());
}

TEST_F(FaultTest, CloseAfterSendsOnlyPartOfADownload) {
  std::filesystem::create_directories(service_->data_dir() / "installers");
  std::ofstream(service_->data_dir() / "installers" / "setup.exe", std::ios::binary)
      << std::string(50000, 's');
  SetFault("path=/download/&close_after=1000&times=1");
  HttpAnswer partial = Get(Url("/download/setup.exe"));
  EXPECT_EQ(partial.error, CURLE_PARTIAL_FILE);
  EXPECT_EQ(partial.body, std::string(1000, 's'));
  EXPECT_EQ(Get(Url("/download/setup.exe")).body.size(), 50000u);
}

TEST_F(FaultTest, BadFaultSettingsAreRefused) {
  for (const char* query : {"status=500", "path=/x&status=abc", "path=/x&color=red", "path=/x&status=42"}) {
    HttpAnswer answer = Get(Url(std::string("/_test/fault?") + query));
    EXPECT_EQ(answer.status, 400) << query;
    EXPECT_EQ(answer.body.rfind("-ERROR:", 0), 0u) << query;
  }
}

class CommandLineFaultTest : public ServiceTest {
 protected:
  std::vector<std::string> ExtraArgs() const override {
    return {"--fault", "/apis/client/client_get_ctginfo.php:status=500,times=1", "--max-body-kb", "64"};
  }
};

TEST_F(CommandLineFaultTest, FaultFromTheCommandLineAndBodyLimit) {
  LoginSession s = Login();
  std::string list = "/apis/client/client_get_ctginfo.php?appname=client&" + Session(s);
  EXPECT_EQ(Get(Url(list)).status, 500);
  EXPECT_EQ(Get(Url(list)).status, 200);

  HttpAnswer big = Upload(s, FakeJpeg(65 * 1024));
  EXPECT_EQ(big.status, 413);
  EXPECT_EQ(big.body, "-ERROR:request body too large");
  EXPECT_FALSE(UploadReceipt(s, FakeJpeg(60 * 1024)).empty());
}

TEST_F(FaultTest, RequestLogRecordsEveryRequestWithoutPasswords) {
  LoginSession s = Login("demo", "demo");
  Upload(s, FakeJpeg(1234));
  Get(Url("/no/such/page"));
  CreateAlbum(s, "x", "1", "se&cret");
  std::string log = ReadAll(service_->data_dir() / "requests.log");
  EXPECT_NE(
      log.find(
          " GET /apis/client/client_login.php?name=demo&pass=***&appname=client&cliver=2.1.0.7120 200 0 "),
      std::string::npos)
      << log;
  size_t upload = log.find(" POST /interface/pic_upload.php?");
  ASSERT_NE(upload, std::string::npos) << log;
  std::string line = log.substr(upload, log.find('\n', upload) - upload);
  size_t body = MultipartBody({{"pic1", FakeJpeg(1234), "/p/a.jpg"}}).size();
  EXPECT_NE(line.find(" 200 " + std::to_string(body) + " "), std::string::npos) << line;
  EXPECT_NE(log.find(" GET /no/such/page 404 0 "), std::string::npos) << log;
  EXPECT_NE(log.find("&pw=***"), std::string::npos);
  EXPECT_EQ(log.find("se&cret"), std::string::npos);
  EXPECT_EQ(log.find("pass=demo"), std::string::npos);
}

TEST_F(FaultTest, EverythingSurvivesARestart) {
  LoginSession s = Login();
  ASSERT_EQ(CreateAlbum(s, "kept"), "+OK:3");
  std::string picture = FakeJpeg(3000);
  std::string receipt = UploadReceipt(s, picture);
  ASSERT_EQ(RegisterPicture(s, receipt, "3", "&tag=sun"), "+OK:1");
  std::string pending = UploadReceipt(s, FakeJpeg(100));
  ASSERT_TRUE(service_->AddUser("later", "x"));

  service_->Restart();
  // The old session, the album, the picture, the pending upload and the account are all there.
  EXPECT_NE(Get(Url("/apis/client/client_get_ctginfo.php?appname=client&" + Session(s)))
                .body.find("<specialname>kept</specialname><picturenum>1</picturenum>"),
            std::string::npos);
  EXPECT_EQ(Get(Url("/photos/" + receipt + ".jpg")).body, picture);
  EXPECT_EQ(RegisterPicture(s, pending, "3"), "+OK:2");
  EXPECT_FALSE(Login("later", "x").uid.empty());
  EXPECT_EQ(service_->Stop(), 0) << "SIGTERM ends the service cleanly";
}

}  // namespace
}  // namespace albumservice::tests
