// The web site's files: update-config file, host update information,
// installer downloads and the counted crash signal.
#include <gtest/gtest.h>

#include <fstream>

#include "BuildConfig.h"
#include "tools/album-service/Crypto.h"
#include "tools/album-service/tests/ServiceFixture.h"

namespace albumservice::tests {
namespace {

void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

class WebHostTest : public ServiceTest {};

TEST_F(WebHostTest, UpdateConfigAnnouncesTheProductVersionAndTheFirstInstaller) {
  HttpAnswer plain = Get(Url("/client/client_updateinfo.cfg"));
  EXPECT_EQ(plain.status, 200);
  EXPECT_EQ(plain.body, std::string("[Tessel]\r\nguid={5B0E6C1A-3F4D-4C2B-9A71-2E8D0F6B7C13}\r\nversion=") +
                            buildconfig::kProductVersion + "\r\nmd5=\r\nurl=" + service_->base_url() +
                            "/download/setup.exe\r\ninstArg=/S\r\n");

  std::string installer(70000, 'i');
  WriteFile(service_->data_dir() / "installers" / "JQMarlin-setup.exe", installer);
  WriteFile(service_->data_dir() / "installers" / "zz-later.exe", "later");
  std::string config = Get(Url("/client/client_updateinfo.cfg")).body;
  EXPECT_NE(config.find("\r\nmd5=" + Md5Hex(installer) + "\r\n"), std::string::npos) << config;
  EXPECT_NE(config.find("\r\nurl=" + service_->base_url() + "/download/JQMarlin-setup.exe\r\n"),
            std::string::npos);

  HttpAnswer download = Get(Url("/download/JQMarlin-setup.exe"));
  EXPECT_EQ(download.status, 200);
  EXPECT_EQ(download.body, installer);
  for (const char* bad : {"/download/missing.exe", "/download/..%2Fservice.db", "/download/.hidden",
                          "/download/%2E%2E%2Fservice.db"}) {
    EXPECT_EQ(Get(Url(bad)).status, 404) << bad;
  }
}

TEST_F(WebHostTest, FilesInTheDataFolderReplaceTheDefaults) {
  WriteFile(service_->data_dir() / "client_updateinfo.cfg", "[Other]\r\nversion=9.9.9.9\r\n");
  WriteFile(service_->data_dir() / "host_updateinfo.xml", "<UpdateInfo/>");
  EXPECT_EQ(Get(Url("/client/client_updateinfo.cfg")).body, "[Other]\r\nversion=9.9.9.9\r\n");
  EXPECT_EQ(Get(Url("/client/host_updateinfo.xml")).body, "<UpdateInfo/>");
}

TEST_F(WebHostTest, HostUpdateInformationOffersNoPatchByDefault) {
  EXPECT_EQ(Get(Url("/client/host_updateinfo.xml")).body,
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<UpdateInfo><Marlin Version=\"0\"><Patch>" +
                service_->base_url() + "/download/patch.exe</Patch></Marlin></UpdateInfo>");
}

class OfferedVersionTest : public ServiceTest {
 protected:
  std::vector<std::string> ExtraArgs() const override {
    return {"--offer-version", "3.0.0.1", "--host-patch-version", "12"};
  }
};

TEST_F(OfferedVersionTest, CommandLineChoosesTheOfferedVersions) {
  EXPECT_NE(Get(Url("/client/client_updateinfo.cfg")).body.find("\r\nversion=3.0.0.1\r\n"),
            std::string::npos);
  EXPECT_NE(Get(Url("/client/host_updateinfo.xml")).body.find("<Marlin Version=\"12\">"), std::string::npos);
}

TEST_F(WebHostTest, CrashSignalIsAGifAndIsCountedAcrossRestarts) {
  for (int i = 0; i < 3; ++i) {
    HttpAnswer gif = Get(Url("/apis/client/fail.gif"));
    EXPECT_EQ(gif.content_type, "image/gif");
    EXPECT_EQ(gif.body.substr(0, 6), "GIF89a");
  }
  EXPECT_NE(Get(Url("/_test/stats")).body.find("fail_gif=3\n"), std::string::npos);
  service_->Restart();
  Get(Url("/apis/client/fail.gif"));
  EXPECT_NE(Get(Url("/_test/stats")).body.find("fail_gif=4\n"), std::string::npos);
  EXPECT_NE(service_->RunTool({"--list"}).find("crash signals (fail.gif): 4\n"), std::string::npos);
}

TEST_F(WebHostTest, HelpAndAccountPagesAreHtml) {
  for (const char* page :
       {"/help.php", "/lm/help/2009/photo.html", "/getpass.html", "/hd/reg.php?entry=shequ"}) {
    HttpAnswer answer = Get(Url(page));
    EXPECT_EQ(answer.status, 200) << page;
    EXPECT_EQ(answer.content_type, "text/html; charset=utf-8") << page;
    EXPECT_EQ(answer.body.rfind("<!DOCTYPE html>", 0), 0u) << page;
  }
}

}  // namespace
}  // namespace albumservice::tests
