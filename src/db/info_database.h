#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <string_view>

#include "db/sqlite2_connection.h"

namespace dovel::db {

// The program-wide connection to the info database, its lock (the info-database
// lock) and the nesting counter of its transactions.
class InfoDatabase {
 public:
  void Open(const std::filesystem::path& file);
  void Close();

  // The info-database lock; every reader and writer of the file takes it.
  std::recursive_mutex& info_lock() { return lock_; }
  // The connection, for use under info_lock().
  Sqlite2Connection& connection() { return connection_; }

  // Runs the statements; false (the error swallowed) when they failed.
  bool InfoExecute(std::string_view sql);
  // Starts a transaction unless one is open, and counts one level.
  void InfoBegin();
  // Ends one level. The outermost level commits; an inner one commits the work
  // so far and begins again, so later work stays inside a transaction. Never
  // goes below zero: a commit without a begin does nothing.
  void InfoCommit();
  int nesting() const;

  bool InfoTableExists(std::string_view table);
  bool InfoColumnExists(std::string_view column, std::string_view table);

 private:
  mutable std::recursive_mutex lock_;
  Sqlite2Connection connection_;
  int nesting_ = 0;
};

// One level of the info database's transactions, ended when the object goes,
// so that early returns cannot leave a level open.
class InfoTransaction {
 public:
  explicit InfoTransaction(InfoDatabase& database);
  ~InfoTransaction();
  InfoTransaction(const InfoTransaction&) = delete;
  InfoTransaction& operator=(const InfoTransaction&) = delete;

 private:
  InfoDatabase& database_;
};

}  // namespace dovel::db
