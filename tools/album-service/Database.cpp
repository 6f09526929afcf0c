#include "tools/album-service/Database.h"

#include <stdexcept>

namespace albumservice {
namespace {

[[noreturn]] void Fail(sqlite3* db, const char* what) {
  throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK)
    Fail(db, "prepare");
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::Bind(int index, std::int64_t value) {
  if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) Fail(db_, "bind");
  return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
  if (sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) !=
      SQLITE_OK)
    Fail(db_, "bind");
  return *this;
}

bool Statement::Step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Fail(db_, "step");
}

void Statement::Run() {
  while (Step()) {
  }
}

std::int64_t Statement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string Statement::Text(int column) const {
  const unsigned char* text = sqlite3_column_text(stmt_, column);
  int size = sqlite3_column_bytes(stmt_, column);
  return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(size)) : std::string();
}

Database::~Database() { sqlite3_close_v2(db_); }

bool Database::Open(const std::filesystem::path& file, std::string& error) {
  if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr) != SQLITE_OK) {
    error = db_ ? sqlite3_errmsg(db_) : "cannot open database";
    return false;
  }
  // Another process (an --add-user run beside a serving one) may hold the lock briefly.
  sqlite3_busy_timeout(db_, 5000);
  try {
    // In WAL mode NORMAL keeps every committed transaction across a crash or
    // kill of the process (the WAL is written before COMMIT returns); only a
    // power loss may take the last ones. FULL would add an fsync per request.
    Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;");
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  return true;
}

void Database::Exec(std::string_view sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, std::string(sql).c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : "exec failed";
    sqlite3_free(message);
    throw std::runtime_error(text);
  }
}

Transaction::Transaction(Database& db) : db_(db) { db_.Exec("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
  if (!done_) {
    try {
      db_.Exec("ROLLBACK");
    } catch (...) {
      // Nothing more can be done for a connection whose rollback fails.
    }
  }
}

void Transaction::Commit() {
  db_.Exec("COMMIT");
  done_ = true;
}

}  // namespace albumservice
