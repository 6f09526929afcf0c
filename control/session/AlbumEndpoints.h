// Addresses of the album service: the defaults of the replaceable endpoint
// slots and the fixed endpoints, built from the host roles of the build
// settings (BuildConfig.h) and the service's paths.
#pragma once

#include <string>

namespace album_endpoints {

// Slots of the replaceable endpoint table, numbered as the service numbers them.
enum class EndpointSlot : int {
  kLogin = 1,
  kUpload = 2,
  kRegistration = 3,
  kQuota = 4,
  kAlbumList = 5,
  kAlbumInfo = 6,
  kAlbumCreate = 7,
};

// Number of replaceable slots.
inline constexpr int kSlotCount = 7;

// The built-in address of one slot.
std::string DefaultEndpoint(EndpointSlot slot);

// Tag keyword check; the URL-encoded tag text is appended directly.
std::string TagCheckEndpoint();
// Album-name keyword check; the URL-encoded name and description follow directly.
std::string AlbumNameCheckEndpoint();
// The web page of one album (opened in the browser).
std::string AlbumPageEndpoint();
// Single sign-on redirect, without its query.
std::string SingleSignOnEndpoint();
// Album activation page; its own query "?entry=photo" is part of it.
std::string ActivationEndpoint();
// New-user registration page.
std::string NewUserEndpoint();
// Password recovery page.
std::string PasswordRecoveryEndpoint();
// Help page on tags.
std::string TagHelpEndpoint();
// General help page.
std::string HelpEndpoint();

}  // namespace album_endpoints
