#pragma once

#include "db/info_database.h"
#include "db/sqlite3_connection.h"

namespace dovel::db {

// The hashing scheme's version; rows of any other version are dropped at start.
inline constexpr int kHashVersion = 7;

// Creates every missing table and index of both files and brings older files up
// to date. Each migration runs in one transaction and stops at its first
// failing statement, rolling back, so a failed migration never loses rows.
// True when every step succeeded. Runs before any other thread uses the files.
bool CreateTables(Sqlite3Connection& data, InfoDatabase& info);

// Drops the shared-file rows of older hashing versions (under the database lock);
// the next hashing run treats those files as new.
void PurgeStaleHashVersions(Sqlite3Connection& data);

}  // namespace dovel::db
