// A running album service per test with helpers for the client's requests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>

#include "tools/album-service/testing/AlbumServiceProcess.h"
#include "tools/album-service/tests/HttpTestClient.h"

namespace albumservice::tests {

struct LoginSession {
  std::string uid, cookie, token;
};

class ServiceTest : public ::testing::Test {
 protected:
  // Extra command-line options of the service for one test suite.
  virtual std::vector<std::string> ExtraArgs() const { return {}; }

  void SetUp() override {
    testing::AlbumServiceOptions options;
    options.extra_args = ExtraArgs();
    service_ = std::make_unique<testing::AlbumServiceProcess>(options);
  }

  std::string Url(const std::string& path_and_query) const { return service_->base_url() + path_and_query; }

  // Logs in with already percent-encoded name and password; fails the test
  // unless the answer is a success.
  LoginSession Login(const std::string& name = "demo", const std::string& pass = "demo") {
    HttpAnswer answer = Get(Url("/apis/client/client_login.php?name=" + name + "&pass=" + pass +
                                "&appname=client&cliver=2.1.0.7120"));
    std::smatch match;
    static const std::regex kSuccess("^succ:uid=(\\d+);([0-9a-f]{32});([0-9a-f]{32});[^;]+$");
    EXPECT_TRUE(std::regex_match(answer.body, match, kSuccess)) << answer.body;
    if (match.size() != 4) return {};
    return {match[1], match[2], match[3]};
  }

  std::string Session(const LoginSession& s) const { return "uid=" + s.uid + "&token=" + s.token; }

  // The id of an album of the user, by its name as the list shows it (URL-encoded UTF-8).
  std::string AlbumId(const LoginSession& s, const std::string& encoded_name) {
    HttpAnswer list = Get(Url("/apis/client/client_get_ctginfo.php?appname=client&uid=" + s.uid +
                              "&token=" + s.token + "&pagenum=200&pageno=0&isdesc=1"));
    std::smatch match;
    std::regex entry("<specialid>(\\d+)</specialid><specialname>" + encoded_name + "</specialname>");
    EXPECT_TRUE(std::regex_search(list.body, match, entry)) << list.body;
    return match.size() > 1 ? match[1].str() : std::string();
  }

  std::string CreateAlbum(const LoginSession& s, const std::string& encoded_name,
                          const std::string& is_pw = "0", const std::string& pw = "") {
    return Get(Url("/apis/client/client_create_ctg.php?appname=client&" + Session(s) + "&specialname=" +
                   encoded_name + "&specialdesc=&cliver=2.1.0.7120&is_pw=" + is_pw + "&pw=" + pw))
        .body;
  }

  // The upload answer of one file part "pic1".
  HttpAnswer Upload(const LoginSession& s, const std::string& bytes,
                    const std::string& filename = "/p/a.jpg") {
    return Post(
        Url("/interface/pic_upload.php?app=photo&s=xml&exif=1&token=" + s.token + "&sess=" + s.cookie),
        MultipartBody({{"pic1", bytes, filename}}), MultipartType());
  }

  // The receipt of a successful upload ("" otherwise).
  std::string UploadReceipt(const LoginSession& s, const std::string& bytes) {
    static const std::regex kAnswer("<count>1</count><data>([0-9a-f]+)</data>");
    std::smatch match;
    std::string body = Upload(s, bytes).body;
    return std::regex_search(body, match, kAnswer) ? match[1].str() : std::string();
  }

  // The registration answer; tag_query is "" or "&tag=..." (encoded).
  std::string RegisterPicture(const LoginSession& s, const std::string& receipt, const std::string& album,
                              const std::string& tag_query = "", const std::string& title = "a.jpg") {
    return Post(Url("/upload/upload_receive.php?appname=client&" + Session(s) + "&ctgid=" + album +
                    tag_query + "&uip=192.168.1.7&title=" + title + "&cliver=2.1.0.7120"),
                MultipartBody({{"picdata", receipt, ""}}), MultipartType())
        .body;
  }

  std::unique_ptr<testing::AlbumServiceProcess> service_;
};

}  // namespace albumservice::tests
