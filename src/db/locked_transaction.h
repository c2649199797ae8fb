#pragma once

#include <initializer_list>
#include <string>

#include "db/sqlite3_connection.h"

namespace dovel::db {

// Runs the statements in one transaction under the database lock: all of them
// or, when one fails, none (the transaction is rolled back). False on failure.
bool execute_in_transaction(Sqlite3Connection& connection, std::initializer_list<std::string> statements);

}  // namespace dovel::db
