// The service's state in one SQLite file: accounts with their limits,
// sessions, albums, uploaded files waiting for registration, registered
// pictures with their tags, and counters. Every method is safe to call from
// any thread; each is one transaction.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tools/album-service/Database.h"

namespace albumservice {

// An account and the limits the quota answer reports.
struct User {
  std::int64_t id = 0;
  std::string name;      // UTF-8
  std::string nickname;  // UTF-8, never empty
  bool active = true;
  std::int64_t month_kb = 0;       // space one calendar month may take
  std::int64_t max_space_kb = 0;   // most one selection may hold (reported in MB)
  std::int64_t max_single_kb = 0;  // largest picture accepted
  std::int64_t max_photo = 0;      // most pictures one album may hold
};

// What --add-user gives; unset fields keep their stored (or default) value.
struct UserSpec {
  std::string name;
  std::string password;  // UTF-8 as typed; hashed over its GBK bytes
  std::optional<std::string> nickname;
  std::optional<bool> active;
  std::optional<std::int64_t> month_kb, max_space_kb, max_single_kb, max_photo;
};

// Default limits of a new account.
inline constexpr std::int64_t kDefaultMonthKb = 1024 * 1024;
inline constexpr std::int64_t kDefaultMaxSpaceKb = 100 * 1024;
inline constexpr std::int64_t kDefaultMaxSingleKb = 20 * 1024;
inline constexpr std::int64_t kDefaultMaxPhoto = 300;

struct Session {
  std::string token;
  std::string cookie;
};

struct Album {
  std::int64_t id = 0;
  std::int64_t user_id = 0;
  std::string name;
  std::string description;
  bool has_password = false;
  std::string password;
  std::int64_t picture_count = 0;
};

// A picture uploaded and registered in an album.
struct Picture {
  std::int64_t id = 0;
  std::int64_t album_id = 0;
  std::string receipt;
  std::string file;  // relative to the pictures folder
  std::string mime;
  std::int64_t size = 0;
  std::string title;
  std::string uip;
  std::vector<std::string> tags;
};

// A file that arrived through the upload endpoint.
struct Upload {
  std::string receipt;
  std::int64_t user_id = 0;
  std::string file;
  std::string mime;
  std::int64_t size = 0;
  std::string original_name;
};

struct Quota {
  std::int64_t pictures = 0;
  std::int64_t specials = 0;
  std::int64_t total_bytes = 0;
  std::int64_t month_bytes = 0;
};

enum class CreateAlbumResult { kCreated, kDuplicate };
enum class RegisterResult { kRegistered, kUnknownReceipt, kNoAlbum, kAlbumFull, kNoSpace };

class AlbumStore {
 public:
  // Opens or creates "service.db" in the folder; false with error text.
  bool Open(const std::filesystem::path& folder, std::string& error);

  // Creates or updates an account; returns its id.
  std::int64_t SaveUser(const UserSpec& spec);
  std::optional<User> FindUser(const std::string& name);
  std::optional<User> UserById(std::int64_t id);
  // password_md5: MD5 hex of the password's GBK bytes, the form the single
  // sign-on redirect carries.
  bool CheckPassword(const User& user, const std::string& password_md5);
  void SetActive(std::int64_t user_id, bool active);

  Session CreateSession(std::int64_t user_id);
  // The user a token belongs to, when it belongs to the given uid.
  std::optional<User> SessionUser(std::int64_t uid, const std::string& token);
  // The user of a token and cookie pair (the upload carries both).
  std::optional<User> SessionUserByCookie(const std::string& token, const std::string& cookie);

  // Albums newest first (or oldest first), one page.
  std::vector<Album> ListAlbums(std::int64_t user_id, std::int64_t page, std::int64_t page_size,
                                bool newest_first);
  std::optional<Album> FindAlbum(std::int64_t user_id, std::int64_t album_id);
  std::optional<Album> FindAlbumByName(std::int64_t user_id, const std::string& name);
  CreateAlbumResult CreateAlbum(std::int64_t user_id, const std::string& name, const std::string& description,
                                bool has_password, const std::string& password, std::int64_t* album_id);

  void AddUpload(const Upload& upload);
  std::optional<Upload> FindUpload(const std::string& receipt);
  // Moves an upload into an album, checking the album's capacity and the
  // month's space inside the same transaction.
  RegisterResult Register(const User& user, const std::string& receipt, std::int64_t album_id,
                          const std::string& title, const std::string& uip,
                          const std::vector<std::string>& tags, std::int64_t* picture_id);

  Quota QuotaOf(std::int64_t user_id);
  std::vector<Picture> AlbumPictures(std::int64_t album_id);
  std::optional<Picture> PictureByReceipt(const std::string& receipt);
  std::vector<User> AllUsers();
  std::vector<Upload> PendingUploads();

  // Named counters (crash signals and the like).
  std::int64_t Increment(const std::string& counter);
  std::int64_t Counter(const std::string& counter);

 private:
  void CreateSchema();
  std::vector<std::string> TagsOf(std::int64_t picture_id);

  std::mutex mutex_;
  Database db_;
};

}  // namespace albumservice
