#pragma once

#include <mutex>
#include <vector>

#include "db/database_lock.h"
#include "db/sqlite3_connection.h"

namespace dovel::test {

// Writes rows straight into the shared-files table, as a hashing run would
// leave them, in one transaction. A row has name, extension, hash, file_type,
// size, path, right and shared_index.
template <typename Row>
void insert_shared_files(db::Sqlite3Connection& data, const std::vector<Row>& rows) {
  std::lock_guard guard(db::database_lock());
  data.Execute("begin transaction;");
  db::Sqlite3Statement statement = data.Prepare(
      "Insert Into shared_files (hash,name,extention,file_type,size,path,right,shared_name,shared_index,hash_version,uniq_id) "
      "Values (?,?,?,?,?,?,?,'',?,7,1)");
  for (const Row& row : rows) {
    statement.Bind(0, row.hash);
    statement.Bind(1, row.name);
    statement.Bind(2, row.extension);
    statement.Bind(3, row.file_type);
    statement.Bind(4, row.size);
    statement.Bind(5, row.path);
    statement.Bind(6, row.right);
    statement.Bind(7, row.shared_index);
    statement.Execute();
  }
  statement.Finish();
  data.Execute("commit transaction;");
}

}  // namespace dovel::test
