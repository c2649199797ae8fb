#include "central/central_database.h"

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

}  // namespace

CentralDatabase::CentralDatabase(const std::filesystem::path& home) {
  connection_.Open(home / std::string(kCentralDatabaseFile));
  // The command line writes accounts while the service reads them.
  connection_.Execute("PRAGMA journal_mode=WAL");
  connection_.Execute(kSchema);
}

}  // namespace dovel::central
