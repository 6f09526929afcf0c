#include "control/protocol/AlbumRequests.h"

#include "common/crypto/Md5.h"
#include "common/text/UrlCoding.h"
#include "control/protocol/ClientVersion.h"
#include "control/session/SessionState.h"
#include "platform/system/CodePage.h"

namespace album_protocol {
namespace {

using Slot = CSessionState::EndpointSlot;

// Appends pieces to a URL without any further encoding.
template <typename... Pieces>
std::string Join(Pieces... pieces) {
  std::string url;
  (url.append(std::string_view(pieces)), ...);
  return url;
}

std::string_view TrimBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n\v\f";
  size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return std::string_view();
  size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string EncodeGbk(std::string_view utf8) { return common::UrlEncode(platform::Utf8ToGbk(utf8)); }

std::string EncodeUtf8(std::string_view utf8) { return common::UrlEncode(utf8); }

std::string LoginUrl(std::string_view endpoint, std::string_view name, std::string_view password,
                     std::string_view cliver) {
  return Join(endpoint, "?name=", EncodeGbk(name), "&pass=", EncodeGbk(password),
              "&appname=client&cliver=", cliver);
}

std::string AlbumListUrl(std::string_view endpoint, std::string_view uid, std::string_view token) {
  return Join(endpoint, "?appname=client&uid=", uid, "&token=", token, "&pagenum=200&pageno=0&isdesc=1");
}

std::string QuotaUrl(std::string_view endpoint, std::string_view uid, std::string_view cliver,
                     std::string_view token) {
  return Join(endpoint, "?appname=client&uid=", uid, "&cliver=", cliver, "&token=", token);
}

std::string TagCheckUrl(std::string_view check_endpoint, std::string_view tag_text) {
  return Join(check_endpoint, EncodeGbk(TrimBlanks(tag_text)));
}

std::string AlbumInfoUrl(std::string_view endpoint, std::string_view uid, std::string_view album_id,
                         std::string_view token, std::string_view cliver) {
  return Join(endpoint, "?appname=client&uid=", uid, "&ctgid=", album_id, "&token=", token,
              "&cliver=", cliver);
}

std::string UploadUrl(std::string_view endpoint, std::string_view token, std::string_view cookie) {
  return Join(endpoint, "?app=photo&s=xml&exif=1&token=", token, "&sess=", cookie);
}

std::string RegistrationUrl(std::string_view endpoint, const RegistrationValues& values) {
  std::string url =
      Join(endpoint, "?appname=client&uid=", values.uid, "&token=", values.token, "&ctgid=", values.album_id);
  if (!values.tags.empty()) url += Join("&tag=", EncodeGbk(values.tags));
  url += Join("&uip=", values.ip_address, "&title=", EncodeGbk(values.title), "&cliver=", values.cliver);
  return url;
}

std::string AlbumNameCheckUrl(std::string_view check_endpoint, std::string_view name,
                              std::string_view description, std::string_view uid, std::string_view token) {
  return Join(check_endpoint, EncodeUtf8(name), EncodeUtf8(description), "&uid=", uid, "&token=", token);
}

std::string CreateAlbumUrl(std::string_view endpoint, const CreateAlbumValues& values) {
  return Join(endpoint, "?appname=client&uid=", values.uid, "&token=", values.token,
              "&specialname=", EncodeUtf8(values.name), "&specialdesc=", EncodeUtf8(values.description),
              "&cliver=", values.cliver, "&is_pw=", values.password_protected ? "1" : "0",
              "&pw=", values.password);
}

std::string AlbumPageUrl(std::string_view page_endpoint, std::string_view uid, std::string_view album_id) {
  return Join(page_endpoint, "?uid=", uid, "&ctg_id=", album_id);
}

std::string SingleSignOnUrl(std::string_view sso_endpoint, std::string_view login_name,
                            std::string_view password, std::string_view page_url) {
  return Join(sso_endpoint, "?u=", EncodeGbk(login_name), "&p=", common::Md5HexOfText(password),
              "&r=", EncodeGbk(page_url));
}

std::string ActivationUrl(std::string_view activation_endpoint, std::string_view name,
                          std::string_view password) {
  return Join(activation_endpoint, "?u=", EncodeGbk(name), "&p=", common::Md5HexOfText(password));
}

std::string LoginUrl(const CSessionState& session, std::string_view name, std::string_view password) {
  return LoginUrl(session.Endpoint(Slot::kLogin), name, password, ClientVersion());
}

std::string AlbumListUrl(const CSessionState& session) {
  return AlbumListUrl(session.Endpoint(Slot::kAlbumList), session.Uid(), session.Token());
}

std::string QuotaUrl(const CSessionState& session) {
  return QuotaUrl(session.Endpoint(Slot::kQuota), session.Uid(), ClientVersion(), session.Token());
}

std::string TagCheckUrl(std::string_view tag_text) {
  return TagCheckUrl(album_endpoints::TagCheckEndpoint(), tag_text);
}

std::string AlbumInfoUrl(const CSessionState& session, std::string_view album_id) {
  return AlbumInfoUrl(session.Endpoint(Slot::kAlbumInfo), session.Uid(), album_id, session.Token(),
                      ClientVersion());
}

std::string UploadUrl(const CSessionState& session) {
  return UploadUrl(session.Endpoint(Slot::kUpload), session.Token(), session.Cookie());
}

std::string RegistrationUrl(const CSessionState& session, std::string_view album_id, std::string_view tags,
                            std::string_view ip_address, std::string_view title) {
  RegistrationValues values{session.Uid(),     session.Token(),         std::string(album_id),
                            std::string(tags), std::string(ip_address), std::string(title),
                            ClientVersion()};
  return RegistrationUrl(session.Endpoint(Slot::kRegistration), values);
}

std::string AlbumNameCheckUrl(const CSessionState& session, std::string_view name,
                              std::string_view description) {
  return AlbumNameCheckUrl(album_endpoints::AlbumNameCheckEndpoint(), name, description, session.Uid(),
                           session.Token());
}

std::string CreateAlbumUrl(const CSessionState& session, std::string_view name, std::string_view description,
                           bool password_protected, std::string_view password) {
  CreateAlbumValues values{session.Uid(),
                           session.Token(),
                           std::string(name),
                           std::string(description),
                           ClientVersion(),
                           password_protected,
                           password_protected ? std::string(password) : std::string()};
  return CreateAlbumUrl(session.Endpoint(Slot::kAlbumCreate), values);
}

std::string AlbumPageUrl(const CSessionState& session, std::string_view album_id) {
  return AlbumPageUrl(album_endpoints::AlbumPageEndpoint(), session.Uid(), album_id);
}

}  // namespace album_protocol
