#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "db/sqlite_error.h"

namespace dovel::db {

// The access layer of the info database (downloads, addresses, points,
// favourites) and of favourites export files. Values come back as texts, NULL
// as an empty text; failures are CppSQLiteException.

class Sqlite2Query {
 public:
  Sqlite2Query() = default;
  Sqlite2Query(sqlite3* connection, sqlite3_stmt* statement, bool owns_statement);
  ~Sqlite2Query();
  Sqlite2Query(Sqlite2Query&& other) noexcept;
  Sqlite2Query& operator=(Sqlite2Query&& other) noexcept;
  Sqlite2Query(const Sqlite2Query&) = delete;
  Sqlite2Query& operator=(const Sqlite2Query&) = delete;

  int ColumnCount() const;
  const std::string& Text(int column) const;
  // Exact, case-sensitive match over the column names.
  const std::string& Text(std::string_view column_name) const;
  bool AtEnd() const;
  void Next();
  void Finish();

 private:
  void check_statement() const;
  // Steps once and copies the row.
  void step();

  sqlite3* connection_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
  bool at_end_ = true;
  bool owns_statement_ = false;
  std::vector<std::string> values_;
  std::vector<std::string> names_;
};

class Sqlite2Statement {
 public:
  Sqlite2Statement() = default;
  Sqlite2Statement(sqlite3* connection, sqlite3_stmt* statement);
  ~Sqlite2Statement();
  Sqlite2Statement(Sqlite2Statement&& other) noexcept;
  Sqlite2Statement& operator=(Sqlite2Statement&& other) noexcept;
  Sqlite2Statement(const Sqlite2Statement&) = delete;
  Sqlite2Statement& operator=(const Sqlite2Statement&) = delete;

  // 0-based parameter indices.
  void Bind(int parameter, std::string_view text);
  void Bind(int parameter, int64_t value);
  int Execute();
  Sqlite2Query Query();
  void Reset();
  void Finish();

 private:
  void check_statement() const;

  sqlite3* connection_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
};

class Sqlite2Connection {
 public:
  static constexpr int kBusyTimeoutMs = 60000;

  Sqlite2Connection() = default;
  ~Sqlite2Connection();
  Sqlite2Connection(const Sqlite2Connection&) = delete;
  Sqlite2Connection& operator=(const Sqlite2Connection&) = delete;

  void Open(const std::filesystem::path& file);
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }

  int Execute(std::string_view sql);
  Sqlite2Query Query(std::string_view sql);
  Sqlite2Statement Prepare(std::string_view sql);

 private:
  sqlite3* handle_ = nullptr;
};

}  // namespace dovel::db
