// A thin RAII layer over SQLite: one connection, prepared statements with
// positional parameters, and transactions that roll back unless committed.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace albumservice {

// One prepared statement; parameters and columns count from 1 and 0.
class Statement {
 public:
  Statement(sqlite3* db, std::string_view sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, std::int64_t value);
  Statement& Bind(int index, std::string_view text);
  // Advances; true while a row is available. Throws on errors.
  bool Step();
  // Runs a statement that returns no rows.
  void Run();
  std::int64_t Int(int column) const;
  std::string Text(int column) const;

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// One connection to a database file in WAL mode.
class Database {
 public:
  Database() = default;
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Opens (creating when missing); false with error text on failure.
  bool Open(const std::filesystem::path& file, std::string& error);
  // Runs one or more statements without parameters. Throws on errors.
  void Exec(std::string_view sql);
  Statement Prepare(std::string_view sql) { return Statement(db_, sql); }
  std::int64_t LastInsertId() const { return sqlite3_last_insert_rowid(db_); }
  // Rows changed by the last statement.
  int Changes() const { return sqlite3_changes(db_); }

 private:
  sqlite3* db_ = nullptr;
};

// BEGIN IMMEDIATE now, ROLLBACK at scope exit unless Commit() was called.
class Transaction {
 public:
  explicit Transaction(Database& db);
  ~Transaction();
  void Commit();

 private:
  Database& db_;
  bool done_ = false;
};

}  // namespace albumservice
