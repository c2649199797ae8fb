#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "db/info_database.h"
#include "db/sqlite3_connection.h"

namespace dovel::app {

// The program's own connections to its two database files.
struct LocalDatabases {
  db::Sqlite3Connection data;
  db::InfoDatabase info;
};

// Opens "DovelData.dat" and "DovelInfo.dat" in `folder`, creates and migrates
// their tables and drops shared-file rows of older hashing versions. nullopt on
// success, otherwise the message that ends the start.
std::optional<std::string> open_local_databases(const std::filesystem::path& folder, LocalDatabases& databases);

}  // namespace dovel::app
