#include "db/info_database.h"

#include <string>

namespace dovel::db {

void InfoDatabase::Open(const std::filesystem::path& file) {
  std::lock_guard guard(lock_);
  connection_.Open(file);
  nesting_ = 0;
}

void InfoDatabase::Close() {
  std::lock_guard guard(lock_);
  connection_.Close();
  nesting_ = 0;
}

bool InfoDatabase::InfoExecute(std::string_view sql) {
  std::lock_guard guard(lock_);
  try {
    connection_.Execute(sql);
    return true;
  } catch (const CppSQLiteException&) {
    return false;
  }
}

void InfoDatabase::InfoBegin() {
  std::lock_guard guard(lock_);
  if (nesting_ <= 0) InfoExecute("begin transaction;");
  ++nesting_;
}

void InfoDatabase::InfoCommit() {
  std::lock_guard guard(lock_);
  if (nesting_ == 0) return;
  InfoExecute("commit transaction;");
  --nesting_;
  if (nesting_ > 0) InfoExecute("begin transaction;");
}

int InfoDatabase::nesting() const {
  std::lock_guard guard(lock_);
  return nesting_;
}

bool InfoDatabase::InfoTableExists(std::string_view table) { return InfoExecute("Select count(*) From " + std::string(table)); }

bool InfoDatabase::InfoColumnExists(std::string_view column, std::string_view table) {
  return InfoExecute("Select " + std::string(column) + " From " + std::string(table));
}

InfoTransaction::InfoTransaction(InfoDatabase& database) : database_(database) { database_.InfoBegin(); }

InfoTransaction::~InfoTransaction() { database_.InfoCommit(); }

}  // namespace dovel::db
