#include "app/local_databases.h"

#include <mutex>

#include "db/database_lock.h"
#include "db/schema.h"
#include "util/log_files.h"

namespace dovel::app {

std::optional<std::string> open_local_databases(const std::filesystem::path& folder, LocalDatabases& databases) {
  // Each file is read once right away, so that a damaged file stops the start
  // here instead of failing every later statement.
  try {
    std::lock_guard guard(db::database_lock());
    databases.data.Open(folder / db::kDataFileName);
    databases.data.QueryScalar("select count(*) from sqlite_master");
  } catch (const db::CppSQLite3Exception&) {
    return "DovelData.dat파일을 열(만들) 수 없습니다.";
  }
  try {
    databases.info.Open(folder / db::kInfoFileName);
    std::lock_guard guard(databases.info.info_lock());
    databases.info.connection().Execute("select count(*) from sqlite_master");
  } catch (const db::CppSQLiteException&) {
    return "DB를 초기화하지 못했습니다. 설치된 곳의 남은 용량을 확인하세요.";
  }
  if (!db::CreateTables(databases.data, databases.info)) util::LogSystem("데이터베이스 테이블을 모두 만들지 못했습니다.");
  try {
    db::PurgeStaleHashVersions(databases.data);
  } catch (const db::CppSQLite3Exception& error) {
    util::LogSystem("%s", error.message().c_str());
  }
  return std::nullopt;
}

}  // namespace dovel::app
