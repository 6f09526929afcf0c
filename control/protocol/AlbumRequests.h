// The request URLs of the album service, built byte for byte as the service
// expects them: keys in their fixed order, each value either inserted as it
// stands or URL-encoded, in the character set the service reads it in (the
// product code page GBK for login names, passwords, tags and titles; UTF-8
// for album names and descriptions). Texts in memory are UTF-8.
//
// The functions take every value explicitly so that they stay pure; the
// session-bound forms below them read the session record and the endpoint table.
#pragma once

#include <string>
#include <string_view>

class CSessionState;

namespace album_protocol {

// URL-encodes the GBK bytes of a UTF-8 text.
std::string EncodeGbk(std::string_view utf8);
// URL-encodes the bytes of a UTF-8 text as they are.
std::string EncodeUtf8(std::string_view utf8);

// Login: name and password go out as URL-encoded GBK.
std::string LoginUrl(std::string_view endpoint, std::string_view name, std::string_view password,
                     std::string_view cliver);

// Album list of the user, at most 200 albums, newest first.
std::string AlbumListUrl(std::string_view endpoint, std::string_view uid, std::string_view token);

// Quota (storage and picture counts).
std::string QuotaUrl(std::string_view endpoint, std::string_view uid, std::string_view cliver,
                     std::string_view token);

// Tag keyword check: the whole tag text, trimmed, as one URL-encoded GBK keyword.
std::string TagCheckUrl(std::string_view check_endpoint, std::string_view tag_text);

// Information on one album (its picture count).
std::string AlbumInfoUrl(std::string_view endpoint, std::string_view uid, std::string_view album_id,
                         std::string_view token, std::string_view cliver);

// Picture upload; token and cookie go out as they are.
std::string UploadUrl(std::string_view endpoint, std::string_view token, std::string_view cookie);

// The values of a picture registration.
struct RegistrationValues {
  std::string uid;
  std::string token;
  std::string album_id;
  std::string tags;        // empty: no "tag" key at all
  std::string ip_address;  // dotted IPv4 address of this machine, may be empty
  std::string title;       // the picture's display name
  std::string cliver;
};

// Picture registration after a successful upload.
std::string RegistrationUrl(std::string_view endpoint, const RegistrationValues& values);

// Album-name keyword check: name and description, each as URL-encoded UTF-8,
// written back to back as one keyword.
std::string AlbumNameCheckUrl(std::string_view check_endpoint, std::string_view name,
                              std::string_view description, std::string_view uid, std::string_view token);

// The values of an album creation.
struct CreateAlbumValues {
  std::string uid;
  std::string token;
  std::string name;
  std::string description;
  std::string cliver;
  bool password_protected = false;
  std::string password;  // as typed
};

// Album creation. NOTE: the album password goes out exactly as typed, not
// encoded; the service reads it that way.
std::string CreateAlbumUrl(std::string_view endpoint, const CreateAlbumValues& values);

// The web page of one album.
std::string AlbumPageUrl(std::string_view page_endpoint, std::string_view uid, std::string_view album_id);

// Single sign-on redirect to an album page: the stored login name, the MD5 of
// the password and the URL-encoded page address.
std::string SingleSignOnUrl(std::string_view sso_endpoint, std::string_view login_name,
                            std::string_view password, std::string_view page_url);

// Album activation page; its endpoint already holds a query, so the URL has two '?'.
std::string ActivationUrl(std::string_view activation_endpoint, std::string_view name,
                          std::string_view password);

// --- Session-bound forms -------------------------------------------------------

// Login with the name and password from the login window.
std::string LoginUrl(const CSessionState& session, std::string_view name, std::string_view password);
// The user's album list.
std::string AlbumListUrl(const CSessionState& session);
// The user's quota.
std::string QuotaUrl(const CSessionState& session);
// The tag keyword check at the built-in endpoint.
std::string TagCheckUrl(std::string_view tag_text);
// One album's information.
std::string AlbumInfoUrl(const CSessionState& session, std::string_view album_id);
// Picture upload.
std::string UploadUrl(const CSessionState& session);
// Registration of one uploaded picture in an album.
std::string RegistrationUrl(const CSessionState& session, std::string_view album_id, std::string_view tags,
                            std::string_view ip_address, std::string_view title);
// The album-name keyword check at the built-in endpoint.
std::string AlbumNameCheckUrl(const CSessionState& session, std::string_view name,
                              std::string_view description);
// Album creation; an empty password makes an open album.
std::string CreateAlbumUrl(const CSessionState& session, std::string_view name, std::string_view description,
                           bool password_protected, std::string_view password);
// The web page of one album.
std::string AlbumPageUrl(const CSessionState& session, std::string_view album_id);

}  // namespace album_protocol
