#include "tools/album-service/AlbumStore.h"

#include <ctime>

#include "tools/album-service/Crypto.h"
#include "tools/album-service/TextCodec.h"

namespace albumservice {
namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS users (
  id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL UNIQUE, nickname TEXT NOT NULL,
  salt TEXT NOT NULL, hash TEXT NOT NULL, active INTEGER NOT NULL,
  month_kb INTEGER NOT NULL, max_space_kb INTEGER NOT NULL, max_single_kb INTEGER NOT NULL,
  max_photo INTEGER NOT NULL, created INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS sessions (
  token TEXT PRIMARY KEY, cookie TEXT NOT NULL, user_id INTEGER NOT NULL REFERENCES users(id),
  created INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS albums (
  id INTEGER PRIMARY KEY AUTOINCREMENT, user_id INTEGER NOT NULL REFERENCES users(id), name TEXT NOT NULL,
  description TEXT NOT NULL, is_pw INTEGER NOT NULL, pw TEXT NOT NULL, created INTEGER NOT NULL,
  UNIQUE(user_id, name));
CREATE TABLE IF NOT EXISTS uploads (
  receipt TEXT PRIMARY KEY, user_id INTEGER NOT NULL REFERENCES users(id), file TEXT NOT NULL,
  mime TEXT NOT NULL, size INTEGER NOT NULL, original_name TEXT NOT NULL, created INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS pictures (
  id INTEGER PRIMARY KEY AUTOINCREMENT, album_id INTEGER NOT NULL REFERENCES albums(id),
  user_id INTEGER NOT NULL REFERENCES users(id), receipt TEXT NOT NULL UNIQUE, file TEXT NOT NULL,
  mime TEXT NOT NULL, size INTEGER NOT NULL, title TEXT NOT NULL, uip TEXT NOT NULL, created INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS tags (
  picture_id INTEGER NOT NULL REFERENCES pictures(id), position INTEGER NOT NULL, tag TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS counters (name TEXT PRIMARY KEY, value INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS pictures_by_album ON pictures(album_id);
)sql";

std::int64_t Now() { return static_cast<std::int64_t>(std::time(nullptr)); }

std::string PasswordHash(const std::string& salt, const std::string& password_md5) {
  return Sha256Hex(salt + ":" + password_md5);
}

constexpr const char* kUserColumns =
    "id, name, nickname, active, month_kb, max_space_kb, max_single_kb, max_photo FROM users ";

User ReadUser(const Statement& row) {
  User user;
  user.id = row.Int(0);
  user.name = row.Text(1);
  user.nickname = row.Text(2);
  user.active = row.Int(3) != 0;
  user.month_kb = row.Int(4);
  user.max_space_kb = row.Int(5);
  user.max_single_kb = row.Int(6);
  user.max_photo = row.Int(7);
  return user;
}

constexpr const char* kAlbumColumns =
    "a.id, a.user_id, a.name, a.description, a.is_pw, a.pw, "
    "(SELECT COUNT(*) FROM pictures p WHERE p.album_id = a.id) FROM albums a ";

Album ReadAlbum(const Statement& row) {
  Album album;
  album.id = row.Int(0);
  album.user_id = row.Int(1);
  album.name = row.Text(2);
  album.description = row.Text(3);
  album.has_password = row.Int(4) != 0;
  album.password = row.Text(5);
  album.picture_count = row.Int(6);
  return album;
}

}  // namespace

bool AlbumStore::Open(const std::filesystem::path& folder, std::string& error) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!db_.Open(folder / "service.db", error)) return false;
  try {
    CreateSchema();
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  return true;
}

void AlbumStore::CreateSchema() {
  Transaction transaction(db_);
  db_.Exec(kSchema);
  // Numeric user ids start at 10001, like the ids of a long-running service.
  db_.Exec(
      "INSERT INTO sqlite_sequence(name, seq) SELECT 'users', 10000 "
      "WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = 'users')");
  transaction.Commit();
}

std::int64_t AlbumStore::SaveUser(const UserSpec& spec) {
  std::lock_guard<std::mutex> lock(mutex_);
  Transaction transaction(db_);
  std::string salt = RandomHex(8);
  std::string hash = PasswordHash(salt, Md5Hex(Utf8ToGbk(spec.password)));
  Statement find = db_.Prepare(std::string("SELECT ") + kUserColumns + "WHERE name = ?");
  find.Bind(1, spec.name);
  std::int64_t id = 0;
  if (find.Step()) {
    User old = ReadUser(find);
    id = old.id;
    Statement update = db_.Prepare(
        "UPDATE users SET nickname = ?, salt = ?, hash = ?, active = ?, month_kb = ?, max_space_kb = ?, "
        "max_single_kb = ?, max_photo = ? WHERE id = ?");
    update.Bind(1, spec.nickname.value_or(old.nickname)).Bind(2, salt).Bind(3, hash);
    update.Bind(4, spec.active.value_or(old.active) ? 1 : 0).Bind(5, spec.month_kb.value_or(old.month_kb));
    update.Bind(6, spec.max_space_kb.value_or(old.max_space_kb));
    update.Bind(7, spec.max_single_kb.value_or(old.max_single_kb));
    update.Bind(8, spec.max_photo.value_or(old.max_photo)).Bind(9, id);
    update.Run();
  } else {
    Statement insert = db_.Prepare(
        "INSERT INTO users(name, nickname, salt, hash, active, month_kb, max_space_kb, max_single_kb, "
        "max_photo, created) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    std::string nickname = spec.nickname.value_or(spec.name);
    insert.Bind(1, spec.name).Bind(2, nickname.empty() ? spec.name : nickname).Bind(3, salt).Bind(4, hash);
    insert.Bind(5, spec.active.value_or(true) ? 1 : 0).Bind(6, spec.month_kb.value_or(kDefaultMonthKb));
    insert.Bind(7, spec.max_space_kb.value_or(kDefaultMaxSpaceKb));
    insert.Bind(8, spec.max_single_kb.value_or(kDefaultMaxSingleKb));
    insert.Bind(9, spec.max_photo.value_or(kDefaultMaxPhoto)).Bind(10, Now());
    insert.Run();
    id = db_.LastInsertId();
  }
  transaction.Commit();
  return id;
}

std::optional<User> AlbumStore::FindUser(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement find = db_.Prepare(std::string("SELECT ") + kUserColumns + "WHERE name = ?");
  find.Bind(1, name);
  if (!find.Step()) return std::nullopt;
  return ReadUser(find);
}

std::optional<User> AlbumStore::UserById(std::int64_t id) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement find = db_.Prepare(std::string("SELECT ") + kUserColumns + "WHERE id = ?");
  find.Bind(1, id);
  if (!find.Step()) return std::nullopt;
  return ReadUser(find);
}

bool AlbumStore::CheckPassword(const User& user, const std::string& password_md5) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement find = db_.Prepare("SELECT salt, hash FROM users WHERE id = ?");
  find.Bind(1, user.id);
  if (!find.Step()) return false;
  return PasswordHash(find.Text(0), AsciiLower(password_md5)) == find.Text(1);
}

void AlbumStore::SetActive(std::int64_t user_id, bool active) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement update = db_.Prepare("UPDATE users SET active = ? WHERE id = ?");
  update.Bind(1, active ? 1 : 0).Bind(2, user_id).Run();
}

Session AlbumStore::CreateSession(std::int64_t user_id) {
  Session session{RandomHex(16), RandomHex(16)};
  std::lock_guard<std::mutex> lock(mutex_);
  Statement insert = db_.Prepare("INSERT INTO sessions(token, cookie, user_id, created) VALUES (?, ?, ?, ?)");
  insert.Bind(1, session.token).Bind(2, session.cookie).Bind(3, user_id).Bind(4, Now()).Run();
  return session;
}

std::optional<User> AlbumStore::SessionUser(std::int64_t uid, const std::string& token) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement find = db_.Prepare(std::string("SELECT ") + kUserColumns +
                               "WHERE id = ? AND id = (SELECT user_id FROM sessions WHERE token = ?)");
  find.Bind(1, uid).Bind(2, token);
  if (!find.Step()) return std::nullopt;
  return ReadUser(find);
}

std::optional<User> AlbumStore::SessionUserByCookie(const std::string& token, const std::string& cookie) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement find = db_.Prepare(std::string("SELECT ") + kUserColumns +
                               "WHERE id = (SELECT user_id FROM sessions WHERE token = ? AND cookie = ?)");
  find.Bind(1, token).Bind(2, cookie);
  if (!find.Step()) return std::nullopt;
  return ReadUser(find);
}

std::vector<Album> AlbumStore::ListAlbums(std::int64_t user_id, std::int64_t page, std::int64_t page_size,
                                          bool newest_first) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement list = db_.Prepare(std::string("SELECT ") + kAlbumColumns + "WHERE a.user_id = ? ORDER BY a.id " +
                               (newest_first ? "DESC" : "ASC") + " LIMIT ? OFFSET ?");
  list.Bind(1, user_id).Bind(2, page_size).Bind(3, page * page_size);
  std::vector<Album> albums;
  while (list.Step()) albums.push_back(ReadAlbum(list));
  return albums;
}

std::optional<Album> AlbumStore::FindAlbum(std::int64_t user_id, std::int64_t album_id) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement find = db_.Prepare(std::string("SELECT ") + kAlbumColumns + "WHERE a.user_id = ? AND a.id = ?");
  find.Bind(1, user_id).Bind(2, album_id);
  if (!find.Step()) return std::nullopt;
  return ReadAlbum(find);
}

std::optional<Album> AlbumStore::FindAlbumByName(std::int64_t user_id, const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement find = db_.Prepare(std::string("SELECT ") + kAlbumColumns + "WHERE a.user_id = ? AND a.name = ?");
  find.Bind(1, user_id).Bind(2, name);
  if (!find.Step()) return std::nullopt;
  return ReadAlbum(find);
}

CreateAlbumResult AlbumStore::CreateAlbum(std::int64_t user_id, const std::string& name,
                                          const std::string& description, bool has_password,
                                          const std::string& password, std::int64_t* album_id) {
  std::lock_guard<std::mutex> lock(mutex_);
  Transaction transaction(db_);
  Statement find = db_.Prepare("SELECT id FROM albums WHERE user_id = ? AND name = ?");
  find.Bind(1, user_id).Bind(2, name);
  if (find.Step()) return CreateAlbumResult::kDuplicate;
  Statement insert = db_.Prepare(
      "INSERT INTO albums(user_id, name, description, is_pw, pw, created) VALUES (?, ?, ?, ?, ?, ?)");
  insert.Bind(1, user_id).Bind(2, name).Bind(3, description).Bind(4, has_password ? 1 : 0);
  insert.Bind(5, has_password ? password : std::string()).Bind(6, Now()).Run();
  if (album_id) *album_id = db_.LastInsertId();
  transaction.Commit();
  return CreateAlbumResult::kCreated;
}

void AlbumStore::AddUpload(const Upload& upload) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement insert = db_.Prepare(
      "INSERT INTO uploads(receipt, user_id, file, mime, size, original_name, created) VALUES (?, ?, ?, ?, "
      "?, ?, ?)");
  insert.Bind(1, upload.receipt).Bind(2, upload.user_id).Bind(3, upload.file).Bind(4, upload.mime);
  insert.Bind(5, upload.size).Bind(6, upload.original_name).Bind(7, Now()).Run();
}

std::optional<Upload> AlbumStore::FindUpload(const std::string& receipt) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement find =
      db_.Prepare("SELECT receipt, user_id, file, mime, size, original_name FROM uploads WHERE receipt = ?");
  find.Bind(1, receipt);
  if (!find.Step()) return std::nullopt;
  return Upload{find.Text(0), find.Int(1), find.Text(2), find.Text(3), find.Int(4), find.Text(5)};
}

RegisterResult AlbumStore::Register(const User& user, const std::string& receipt, std::int64_t album_id,
                                    const std::string& title, const std::string& uip,
                                    const std::vector<std::string>& tags, std::int64_t* picture_id) {
  std::lock_guard<std::mutex> lock(mutex_);
  Transaction transaction(db_);
  Statement upload = db_.Prepare("SELECT file, mime, size FROM uploads WHERE receipt = ? AND user_id = ?");
  upload.Bind(1, receipt).Bind(2, user.id);
  if (!upload.Step()) return RegisterResult::kUnknownReceipt;
  Statement album = db_.Prepare(
      "SELECT (SELECT COUNT(*) FROM pictures WHERE album_id = a.id) FROM albums a WHERE a.id = ? AND "
      "a.user_id = ?");
  album.Bind(1, album_id).Bind(2, user.id);
  if (!album.Step()) return RegisterResult::kNoAlbum;
  if (album.Int(0) >= user.max_photo) return RegisterResult::kAlbumFull;
  Statement month = db_.Prepare(
      "SELECT COALESCE(SUM(size), 0) FROM pictures WHERE user_id = ? AND "
      "strftime('%Y-%m', created, 'unixepoch') = strftime('%Y-%m', 'now')");
  month.Bind(1, user.id);
  month.Step();
  if (month.Int(0) + upload.Int(2) > user.month_kb * 1024) return RegisterResult::kNoSpace;

  Statement insert = db_.Prepare(
      "INSERT INTO pictures(album_id, user_id, receipt, file, mime, size, title, uip, created) "
      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
  insert.Bind(1, album_id).Bind(2, user.id).Bind(3, receipt).Bind(4, upload.Text(0)).Bind(5, upload.Text(1));
  insert.Bind(6, upload.Int(2)).Bind(7, title).Bind(8, uip).Bind(9, Now()).Run();
  std::int64_t id = db_.LastInsertId();
  for (size_t i = 0; i < tags.size(); ++i) {
    Statement tag = db_.Prepare("INSERT INTO tags(picture_id, position, tag) VALUES (?, ?, ?)");
    tag.Bind(1, id).Bind(2, static_cast<std::int64_t>(i)).Bind(3, tags[i]).Run();
  }
  Statement remove = db_.Prepare("DELETE FROM uploads WHERE receipt = ?");
  remove.Bind(1, receipt).Run();
  transaction.Commit();
  if (picture_id) *picture_id = id;
  return RegisterResult::kRegistered;
}

Quota AlbumStore::QuotaOf(std::int64_t user_id) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement query = db_.Prepare(
      "SELECT (SELECT COUNT(*) FROM pictures WHERE user_id = ?1), (SELECT COUNT(*) FROM albums WHERE user_id "
      "= ?1), "
      "(SELECT COALESCE(SUM(size), 0) FROM pictures WHERE user_id = ?1), "
      "(SELECT COALESCE(SUM(size), 0) FROM pictures WHERE user_id = ?1 AND "
      " strftime('%Y-%m', created, 'unixepoch') = strftime('%Y-%m', 'now'))");
  query.Bind(1, user_id);
  query.Step();
  return Quota{query.Int(0), query.Int(1), query.Int(2), query.Int(3)};
}

std::vector<std::string> AlbumStore::TagsOf(std::int64_t picture_id) {
  Statement query = db_.Prepare("SELECT tag FROM tags WHERE picture_id = ? ORDER BY position");
  query.Bind(1, picture_id);
  std::vector<std::string> tags;
  while (query.Step()) tags.push_back(query.Text(0));
  return tags;
}

namespace {
constexpr const char* kPictureColumns = "id, album_id, receipt, file, mime, size, title, uip FROM pictures ";

Picture ReadPicture(const Statement& row) {
  return Picture{row.Int(0), row.Int(1),  row.Text(2), row.Text(3), row.Text(4),
                 row.Int(5), row.Text(6), row.Text(7), {}};
}
}  // namespace

std::vector<Picture> AlbumStore::AlbumPictures(std::int64_t album_id) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement query = db_.Prepare(std::string("SELECT ") + kPictureColumns + "WHERE album_id = ? ORDER BY id");
  query.Bind(1, album_id);
  std::vector<Picture> pictures;
  while (query.Step()) pictures.push_back(ReadPicture(query));
  for (Picture& picture : pictures) picture.tags = TagsOf(picture.id);
  return pictures;
}

std::optional<Picture> AlbumStore::PictureByReceipt(const std::string& receipt) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement query = db_.Prepare(std::string("SELECT ") + kPictureColumns + "WHERE receipt = ?");
  query.Bind(1, receipt);
  if (!query.Step()) return std::nullopt;
  return ReadPicture(query);
}

std::vector<User> AlbumStore::AllUsers() {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement query = db_.Prepare(std::string("SELECT ") + kUserColumns + "ORDER BY id");
  std::vector<User> users;
  while (query.Step()) users.push_back(ReadUser(query));
  return users;
}

std::vector<Upload> AlbumStore::PendingUploads() {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement query =
      db_.Prepare("SELECT receipt, user_id, file, mime, size, original_name FROM uploads ORDER BY created");
  std::vector<Upload> uploads;
  while (query.Step())
    uploads.push_back(
        Upload{query.Text(0), query.Int(1), query.Text(2), query.Text(3), query.Int(4), query.Text(5)});
  return uploads;
}

std::int64_t AlbumStore::Increment(const std::string& counter) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement update = db_.Prepare(
      "INSERT INTO counters(name, value) VALUES (?, 1) ON CONFLICT(name) DO UPDATE SET value = value + 1 "
      "RETURNING value");
  update.Bind(1, counter);
  update.Step();
  std::int64_t value = update.Int(0);
  update.Run();
  return value;
}

std::int64_t AlbumStore::Counter(const std::string& counter) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement query = db_.Prepare("SELECT value FROM counters WHERE name = ?");
  query.Bind(1, counter);
  return query.Step() ? query.Int(0) : 0;
}

}  // namespace albumservice
