#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "db/sqlite_error.h"
#include "db/sqlite_handles.h"

namespace dovel::db {

// The result rows of a query, positioned on the current row. Made by a
// connection (owns its statement) or by a prepared statement (does not).
class Sqlite3Query {
 public:
  Sqlite3Query() = default;
  Sqlite3Query(sqlite3* connection, sqlite3_stmt* statement, bool at_end, bool owns_statement);
  ~Sqlite3Query();
  Sqlite3Query(Sqlite3Query&& other) noexcept;
  Sqlite3Query& operator=(Sqlite3Query&& other) noexcept;
  Sqlite3Query(const Sqlite3Query&) = delete;
  Sqlite3Query& operator=(const Sqlite3Query&) = delete;

  int ColumnCount() const;
  // The column's text in the current row; nullptr for a NULL value.
  const char* Text(int column) const;
  int64_t Int64(int column) const;
  int Int(int column) const { return static_cast<int>(Int64(column)); }
  bool IsNull(int column) const;
  bool AtEnd() const;
  void Next();
  void Finish();

 private:
  void check_statement() const;
  void check_column(int column) const;

  sqlite3* connection_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
  bool at_end_ = true;
  int columns_ = 0;
  bool owns_statement_ = false;
};

// A compiled statement of the shared-files database.
class Sqlite3Statement : public BasicStatement<CppSQLite3Exception> {
 public:
  using BasicStatement::BasicStatement;
  using BasicStatement::Bind;
  void Bind(int parameter, double value);
  // Steps once; the query reads this statement's rows without owning it.
  Sqlite3Query Query();
};

// One connection to the shared-files database. Every thread that uses the file
// has its own and takes the database lock around each use.
class Sqlite3Connection : public BasicConnection<CppSQLite3Exception> {
 public:
  // Opens (creating when missing) the file and sets the busy time-out.
  void Open(const std::filesystem::path& file);
  Sqlite3Query Query(std::string_view sql);
  int QueryScalar(std::string_view sql);
  Sqlite3Statement Prepare(std::string_view sql);

  sqlite3* handle() const { return handle_; }
};

}  // namespace dovel::db
