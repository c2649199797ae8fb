#include "central/central_database.h"

#include <string>

namespace dovel::central {
namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS accounts (
  serial INTEGER PRIMARY KEY AUTOINCREMENT,
  user_id TEXT NOT NULL UNIQUE,
  password_salt TEXT NOT NULL,
  password_hash TEXT NOT NULL,
  label TEXT NOT NULL DEFAULT '',
  member_level INTEGER NOT NULL DEFAULT 0,
  adult INTEGER NOT NULL DEFAULT 0,
  transfer_flag INTEGER NOT NULL DEFAULT 0,
  privilege_a INTEGER NOT NULL DEFAULT 0,
  privilege_b INTEGER NOT NULL DEFAULT 0,
  warning_level INTEGER NOT NULL DEFAULT 0,
  suspension_kind INTEGER NOT NULL DEFAULT 0,
  warning_text TEXT NOT NULL DEFAULT '',
  extra_flag INTEGER NOT NULL DEFAULT 0,
  created INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS false_reports (
  hash TEXT PRIMARY KEY,
  count INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS download_reports (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  reported_at INTEGER NOT NULL,
  reporter TEXT NOT NULL,
  account_serial INTEGER NOT NULL,
  owners TEXT NOT NULL,
  file_name TEXT NOT NULL,
  size INTEGER NOT NULL,
  received INTEGER NOT NULL
);
)sql";

bool has_column(db::Sqlite3Connection& connection, std::string_view table, std::string_view column) {
  for (db::Sqlite3Query row = connection.Query("PRAGMA table_info(" + std::string(table) + ")"); !row.AtEnd(); row.Next()) {
    const char* name = row.Text(1);
    if (name != nullptr && column == name) return true;
  }
  return false;
}

// Files from before the point balances get the column, every account starting
// with the default balance. The command line and the service may open one file
// at the same moment: the check and the change hold the write lock together.
void add_point_balances(db::Sqlite3Connection& connection) {
  connection.Execute("BEGIN IMMEDIATE");
  try {
    if (!has_column(connection, "accounts", "points")) {
      connection.Execute("ALTER TABLE accounts ADD COLUMN points INTEGER NOT NULL DEFAULT " + std::to_string(kDefaultPointBalance));
    }
    connection.Execute("COMMIT");
  } catch (const db::SqliteError&) {
    try {
      connection.Execute("ROLLBACK");
    } catch (const db::SqliteError&) {
      // SQLite has already ended the transaction; the first failure is the one to report.
    }
    throw;
  }
}

}  // namespace

CentralDatabase::CentralDatabase(const std::filesystem::path& home) {
  connection_.Open(home / std::string(kCentralDatabaseFile));
  // The command line writes accounts while the service reads them.
  connection_.Execute("PRAGMA journal_mode=WAL");
  connection_.Execute(kSchema);
  add_point_balances(connection_);
}

}  // namespace dovel::central
