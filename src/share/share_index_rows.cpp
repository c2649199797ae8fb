#include "share/share_index_rows.h"

#include <initializer_list>
#include <mutex>
#include <string>

#include "db/database_lock.h"
#include "util/string_printf.h"

namespace dovel::share {
namespace {

bool execute_in_transaction(db::Sqlite3Connection& connection, std::initializer_list<std::string> statements) {
  std::lock_guard guard(db::database_lock());
  try {
    connection.Execute("begin transaction;");
  } catch (const db::CppSQLite3Exception&) {
    return false;
  }
  try {
    for (const std::string& statement : statements) connection.Execute(statement);
    connection.Execute("commit transaction;");
    return true;
  } catch (const db::CppSQLite3Exception&) {
    try {
      connection.Execute("rollback transaction;");
    } catch (const db::CppSQLite3Exception&) {
    }
    return false;
  }
}

}  // namespace

bool remove_share_rows(db::Sqlite3Connection& connection, ShareIndex removed) {
  return execute_in_transaction(
      connection, {util::string_printf("Delete From [shared_files] Where [shared_index]=%d", removed),
                   util::string_printf("Update [shared_files] Set [shared_index]=[shared_index]-1 Where [shared_index]>%d", removed)});
}

bool drop_rows_beyond(db::Sqlite3Connection& connection, size_t share_count) {
  return execute_in_transaction(connection,
                                {util::string_printf("Delete From [shared_files] Where [shared_index]>=%zu", share_count)});
}

}  // namespace dovel::share
