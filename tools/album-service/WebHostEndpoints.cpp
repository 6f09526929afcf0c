#include "tools/album-service/WebHostEndpoints.h"

#include <algorithm>
#include <vector>

#include "tools/album-service/Crypto.h"
#include "tools/album-service/Endpoints.h"
#include "tools/album-service/PictureFiles.h"
#include "tools/album-service/TextCodec.h"
#include "tools/album-service/XmlAnswer.h"

namespace albumservice {
namespace {

constexpr size_t kMaxInstallerBytes = 512u * 1024 * 1024;

// A name the download folder may serve: one plain component.
bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name.size() < 256 && name[0] != '.' &&
         name.find_first_of("/\\") == std::string::npos;
}

}  // namespace

std::string TransparentGif() {
  static const unsigned char kGif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80,
                                       0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x21, 0xF9, 0x04,
                                       0x01, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01,
                                       0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
  return std::string(reinterpret_cast<const char*>(kGif), sizeof kGif);
}

void WebHostEndpoints::Register(Router& router) {
  router.Get(paths::kUpdateConfig,
             [this](const httplib::Request& request, const std::string&, httplib::Response& response) {
               std::optional<std::string> file =
                   ReadWholeFile(context_.options.data_dir / "client_updateinfo.cfg", 1 << 20);
               response.set_content(file ? *file : DefaultUpdateConfig(context_.BaseUrl(request)), kTextType);
             });
  router.Get(paths::kHostUpdateInfo, [this](const httplib::Request& request, const std::string&,
                                            httplib::Response& response) {
    std::optional<std::string> file =
        ReadWholeFile(context_.options.data_dir / "host_updateinfo.xml", 1 << 20);
    response.set_content(file ? *file : DefaultHostUpdateInfo(context_.BaseUrl(request)), kXmlType);
  });
  router.GetUnder(paths::kDownloads, [this](const httplib::Request& request, const std::string&,
                                            httplib::Response& response) { Download(request, response); });
  router.Get(paths::kCrashSignal,
             [this](const httplib::Request&, const std::string&, httplib::Response& response) {
               context_.store.Increment("fail_gif");
               response.set_header("Cache-Control", "no-cache");
               response.set_content(TransparentGif(), "image/gif");
             });
}

std::string WebHostEndpoints::FirstInstaller() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(context_.InstallersDir(), error)) {
    std::string name = entry.path().filename().string();
    if (entry.is_regular_file(error) && IsPlainFileName(name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names.empty() ? std::string() : names.front();
}

std::string WebHostEndpoints::DefaultUpdateConfig(const std::string& base_url) {
  // Announces the offered version (the product's own unless told otherwise)
  // and, when an installer is on offer, its address and digest.
  std::string installer = FirstInstaller();
  std::string md5;
  if (!installer.empty()) {
    std::optional<std::string> bytes =
        ReadWholeFile(context_.InstallersDir() / installer, kMaxInstallerBytes);
    if (bytes) md5 = Md5Hex(*bytes);
  }
  std::string url = base_url + paths::kDownloads + UrlEncode(installer.empty() ? "setup.exe" : installer);
  return "[Tessel]\r\nguid={5B0E6C1A-3F4D-4C2B-9A71-2E8D0F6B7C13}\r\nversion=" +
         context_.options.offered_version + "\r\nmd5=" + md5 + "\r\nurl=" + url + "\r\ninstArg=/S\r\n";
}

std::string WebHostEndpoints::DefaultHostUpdateInfo(const std::string& base_url) {
  std::string installer = FirstInstaller();
  std::string url = base_url + paths::kDownloads + UrlEncode(installer.empty() ? "patch.exe" : installer);
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<UpdateInfo><Marlin Version=\"" +
         EscapeMarkup(context_.options.host_patch_version) + "\"><Patch>" + EscapeMarkup(url) +
         "</Patch></Marlin></UpdateInfo>";
}

void WebHostEndpoints::Download(const httplib::Request& request, httplib::Response& response) {
  // The library has already percent-decoded the path.
  std::string name = request.path.substr(std::string(paths::kDownloads).size());
  std::optional<std::string> bytes;
  if (IsPlainFileName(name)) bytes = ReadWholeFile(context_.InstallersDir() / name, kMaxInstallerBytes);
  if (!bytes) {
    response.status = 404;
    response.set_content("-ERROR:no such file", kTextType);
    return;
  }
  response.set_content(*bytes, "application/octet-stream");
}

}  // namespace albumservice
