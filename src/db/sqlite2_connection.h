#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "db/sqlite_error.h"
#include "db/sqlite_handles.h"

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

class Sqlite2Statement : public BasicStatement<CppSQLiteException> {
 public:
  using BasicStatement::BasicStatement;
  Sqlite2Query Query();
};

class Sqlite2Connection : public BasicConnection<CppSQLiteException> {
 public:
  // Opens (creating when missing) the file; a failure is SQLITE_CANTOPEN.
  void Open(const std::filesystem::path& file);
  Sqlite2Query Query(std::string_view sql);
  Sqlite2Statement Prepare(std::string_view sql);
};

}  // namespace dovel::db
