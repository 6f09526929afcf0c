// The session record, the service limits, the endpoint table and the small
// pieces of state that the control's windows share. The client view owns one
// of these; every window and request builder reads it through the view.
//
// Only the interface thread touches it. Readers copy a value when they build a
// request; nothing keeps a reference across requests.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "control/session/AlbumEndpoints.h"

class CBaseImageListView;

class CSessionState {
 public:
  using EndpointSlot = album_endpoints::EndpointSlot;

  // Photo limit that InitConfig sets until a quota answer replaces it.
  static constexpr std::int32_t kDefaultPhotoLimit = 300;

  // Everything empty, album enabled 1, limits 0; call InitConfig for the defaults.
  CSessionState();

  // Sets the photo limit to 300 and every endpoint slot to its built-in address.
  void InitConfig();

  // --- Session record --------------------------------------------------------

  // The name the user typed, or the page set, to log in.
  const std::string& LoginName() const { return login_name_; }
  void SetLoginName(const std::string& value) { login_name_ = value; }
  // The service's user id, sent as "uid=".
  const std::string& Uid() const { return uid_; }
  void SetUid(const std::string& value) { uid_ = value; }
  // The user's display name.
  const std::string& NickName() const { return nickname_; }
  void SetNickName(const std::string& value) { nickname_ = value; }
  // The password as typed in the login window; held in memory only.
  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& value) { password_ = value; }
  // The session key, sent as "token=".
  const std::string& Token() const { return token_; }
  void SetToken(const std::string& value) { token_ = value; }
  // The session cookie, sent as "sess=" with every upload.
  const std::string& Cookie() const { return cookie_; }
  void SetCookie(const std::string& value) { cookie_ = value; }
  // 0 while a login is pending or when the user's album is not activated.
  std::int32_t AlbumEnabled() const { return album_enabled_; }
  void SetAlbumEnabled(std::int32_t value) { album_enabled_ = value; }

  // The logged-in test: album enabled and both uid and token known.
  bool IsLoggedIn() const { return album_enabled_ != 0 && !uid_.empty() && !token_.empty(); }

  // --- Limits announced by the quota answer ----------------------------------

  // The most bytes one selection may hold.
  std::uint64_t PerUploadSizeLimit() const { return per_upload_size_limit_; }
  void SetPerUploadSizeLimit(std::uint64_t bytes) { per_upload_size_limit_ = bytes; }
  // The largest picture the service accepts (kept; nothing acts on it).
  std::uint64_t SingleFileLimit() const { return single_file_limit_; }
  void SetSingleFileLimit(std::uint64_t bytes) { single_file_limit_ = bytes; }
  // The most pictures one album may hold.
  std::int32_t PhotoLimit() const { return photo_limit_; }
  void SetPhotoLimit(std::int32_t count) { photo_limit_ = count; }

  // --- Endpoint table --------------------------------------------------------

  // The current address of a slot.
  const std::string& Endpoint(EndpointSlot slot) const;
  // Replacements used by the embedding page. The registration slot has none.
  void SetLoginEndpoint(const std::string& url) { SetSlot(EndpointSlot::kLogin, url); }
  void SetUploadEndpoint(const std::string& url) { SetSlot(EndpointSlot::kUpload, url); }
  void SetQuotaEndpoint(const std::string& url) { SetSlot(EndpointSlot::kQuota, url); }
  void SetAlbumListEndpoint(const std::string& url) { SetSlot(EndpointSlot::kAlbumList, url); }
  void SetAlbumInfoEndpoint(const std::string& url) { SetSlot(EndpointSlot::kAlbumInfo, url); }
  void SetAlbumCreateEndpoint(const std::string& url) { SetSlot(EndpointSlot::kAlbumCreate, url); }

  // 1 when the system's Internet settings use a proxy; background requests then follow them.
  std::int32_t SystemProxy() const { return system_proxy_; }
  void SetSystemProxy(std::int32_t value) { system_proxy_ = value; }

  // --- Shared state ----------------------------------------------------------

  // Source picture path -> path of its edited copy.
  std::map<std::string, std::string>& EditedCopies() { return edited_copies_; }
  const std::map<std::string, std::string>& EditedCopies() const { return edited_copies_; }
  // The picture list a drag started in, or null.
  CBaseImageListView* DragSource() const { return drag_source_; }
  void SetDragSource(CBaseImageListView* view) { drag_source_ = view; }
  // The last successful album-list answer.
  const std::string& CachedAlbumList() const { return cached_album_list_; }
  void SetCachedAlbumList(const std::string& body) { cached_album_list_ = body; }
  // Name of the album chosen when the album window last closed.
  const std::string& LastAlbumName() const { return last_album_name_; }
  void SetLastAlbumName(const std::string& name) { last_album_name_ = name; }

 private:
  void SetSlot(EndpointSlot slot, const std::string& url);

  std::string login_name_;
  std::string uid_;
  std::string nickname_;
  std::string password_;
  std::string token_;
  std::string cookie_;
  std::int32_t album_enabled_ = 1;

  std::uint64_t per_upload_size_limit_ = 0;
  std::uint64_t single_file_limit_ = 0;
  std::int32_t photo_limit_ = 0;

  std::array<std::string, album_endpoints::kSlotCount> endpoints_;
  std::int32_t system_proxy_ = 0;

  std::map<std::string, std::string> edited_copies_;
  CBaseImageListView* drag_source_ = nullptr;
  std::string cached_album_list_;
  std::string last_album_name_;
};
