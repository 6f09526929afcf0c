#include "control/session/AlbumEndpoints.h"

#include <string_view>

#include "BuildConfig.h"

namespace album_endpoints {
namespace {

// Joins a host base URL and an absolute path. A host written with a trailing
// '/' in the build settings must not give the path a doubled slash.
std::string OnHost(std::string_view host, std::string_view path) {
  while (!host.empty() && host.back() == '/') host.remove_suffix(1);
  std::string url(host);
  url.append(path);
  return url;
}

}  // namespace

std::string DefaultEndpoint(EndpointSlot slot) {
  switch (slot) {
    case EndpointSlot::kLogin:
      return OnHost(buildconfig::kAlbumApiHost, "/apis/client/client_login.php");
    case EndpointSlot::kUpload:
      return OnHost(buildconfig::kUploadHost, "/interface/pic_upload.php");
    case EndpointSlot::kRegistration:
      return OnHost(buildconfig::kAlbumApiHost, "/upload/upload_receive.php");
    case EndpointSlot::kQuota:
      return OnHost(buildconfig::kAlbumApiHost, "/apis/client/client_get_photoinfo.php");
    case EndpointSlot::kAlbumList:
    case EndpointSlot::kAlbumInfo:
      // NOTE: both slots share a path but stay separately replaceable.
      return OnHost(buildconfig::kAlbumApiHost, "/apis/client/client_get_ctginfo.php");
    case EndpointSlot::kAlbumCreate:
      return OnHost(buildconfig::kAlbumApiHost, "/apis/client/client_create_ctg.php");
  }
  return std::string();
}

std::string TagCheckEndpoint() {
  return OnHost(buildconfig::kPortalHost, "/interface/check_key_word.php?keyword=");
}

std::string AlbumNameCheckEndpoint() {
  return OnHost(buildconfig::kAlbumApiHost, "/apis/client/client_keyword.php?keyword=");
}

std::string AlbumPageEndpoint() { return OnHost(buildconfig::kAlbumApiHost, "/list/photo_b.php"); }

std::string SingleSignOnEndpoint() { return OnHost(buildconfig::kPortalHost, "/interface/authsso.php"); }

std::string ActivationEndpoint() { return OnHost(buildconfig::kAccountHost, "/hd/reg.php?entry=photo"); }

std::string NewUserEndpoint() { return OnHost(buildconfig::kAccountHost, "/hd/reg.php?entry=shequ"); }

std::string PasswordRecoveryEndpoint() { return OnHost(buildconfig::kAccountHost, "/getpass.html"); }

std::string TagHelpEndpoint() { return OnHost(buildconfig::kBlogHost, "/lm/help/2009/photo.html"); }

std::string HelpEndpoint() { return OnHost(buildconfig::kPortalHost, "/help.php"); }

}  // namespace album_endpoints
