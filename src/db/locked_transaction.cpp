#include "db/locked_transaction.h"

#include <mutex>

#include "db/database_lock.h"

namespace dovel::db {

bool execute_in_transaction(Sqlite3Connection& connection, std::initializer_list<std::string> statements) {
  std::lock_guard guard(database_lock());
  try {
    connection.Execute("begin transaction;");
  } catch (const CppSQLite3Exception&) {
    return false;
  }
  try {
    for (const std::string& statement : statements) connection.Execute(statement);
    connection.Execute("commit transaction;");
    return true;
  } catch (const CppSQLite3Exception&) {
    try {
      connection.Execute("rollback transaction;");
    } catch (const CppSQLite3Exception&) {
    }
    return false;
  }
}

}  // namespace dovel::db
