#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "db/sqlite_error.h"

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

// A compiled statement with 0-based parameter indices.
class Sqlite3Statement {
 public:
  Sqlite3Statement() = default;
  Sqlite3Statement(sqlite3* connection, sqlite3_stmt* statement);
  ~Sqlite3Statement();
  Sqlite3Statement(Sqlite3Statement&& other) noexcept;
  Sqlite3Statement& operator=(Sqlite3Statement&& other) noexcept;
  Sqlite3Statement(const Sqlite3Statement&) = delete;
  Sqlite3Statement& operator=(const Sqlite3Statement&) = delete;

  void Bind(int parameter, std::string_view text);
  void Bind(int parameter, int value);
  void Bind(int parameter, int64_t value);
  void Bind(int parameter, double value);
  // Runs it to its end; the number of changed rows. The statement is reset afterwards.
  int Execute();
  // Steps once; the query reads this statement's rows without owning it.
  Sqlite3Query Query();
  void Reset();
  void Finish();

 private:
  void check_statement() const;

  sqlite3* connection_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
};

// One connection to the shared-files database. Every thread that uses the file
// has its own and takes the database lock around each use.
class Sqlite3Connection {
 public:
  static constexpr int kBusyTimeoutMs = 60000;

  Sqlite3Connection() = default;
  ~Sqlite3Connection();
  Sqlite3Connection(const Sqlite3Connection&) = delete;
  Sqlite3Connection& operator=(const Sqlite3Connection&) = delete;

  // Opens (creating when missing) the file and sets the busy time-out.
  void Open(const std::filesystem::path& file);
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }

  int Execute(std::string_view sql);
  Sqlite3Query Query(std::string_view sql);
  int QueryScalar(std::string_view sql);
  Sqlite3Statement Prepare(std::string_view sql);

  sqlite3* handle() const { return handle_; }

 private:
  sqlite3* handle_ = nullptr;
};

}  // namespace dovel::db
