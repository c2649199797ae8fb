#include "share/shared_file_statements.h"

#include "db/schema.h"

namespace dovel::share {
namespace {

constexpr const char* kSelect =
    "Select [last_write_time],[uniq_id],[right],[hash] From [shared_files] Where [name]=? And [path]=? And [shared_index]=? And "
    "[hash_version]=? And [uniq_id]<>? And [extention]=? And [size]=?";
constexpr const char* kUpdate =
    "Update [shared_files] Set [uniq_id]=?,[right]=? Where [name]=? And [path]=? And [shared_index]=? And [hash_version]=? And "
    "[uniq_id]<>? And [extention]=? And [size]=?";
constexpr const char* kDelete =
    "Delete From [shared_files] Where [name]=? And [path]=? And [shared_index]=? And [hash_version]=? And [uniq_id]<>? And "
    "[extention]=? And [size]=?";
constexpr const char* kInsert =
    "Insert Into shared_files (hash,name,extention,file_type,[size],hashed_size,last_write_time,path,down_requested,search_requested,"
    "[level],[right],shared_name,shared_index,hash_version,uniq_id) Values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";

}  // namespace

SharedFileStatements::SharedFileStatements(db::Sqlite3Connection& connection, int32_t run_id)
    : run_id_(run_id),
      select_(connection.Prepare(kSelect)),
      update_(connection.Prepare(kUpdate)),
      delete_(connection.Prepare(kDelete)),
      insert_(connection.Prepare(kInsert)) {}

void SharedFileStatements::bind_key(db::Sqlite3Statement& statement, int first, const ReusableKey& key) {
  statement.Bind(first, key.name);
  statement.Bind(first + 1, key.path);
  statement.Bind(first + 2, key.shared_index);
  statement.Bind(first + 3, db::kHashVersion);
  statement.Bind(first + 4, run_id_);
  statement.Bind(first + 5, key.extension);
  statement.Bind(first + 6, static_cast<double>(key.size));
}

std::optional<ReusableRow> SharedFileStatements::find_reusable(const ReusableKey& key) {
  bind_key(select_, 0, key);
  db::Sqlite3Query query = select_.Query();
  if (query.AtEnd()) return std::nullopt;
  const char* hash = query.Text(3);
  ReusableRow row{static_cast<int32_t>(query.Int64(0)), hash != nullptr ? hash : ""};
  query.Finish();
  return row;
}

void SharedFileStatements::mark_reused(const ReusableKey& key, uint32_t right) {
  update_.Bind(0, run_id_);
  update_.Bind(1, static_cast<int>(right));
  bind_key(update_, 2, key);
  update_.Execute();
}

void SharedFileStatements::delete_old(const ReusableKey& key) {
  bind_key(delete_, 0, key);
  delete_.Execute();
}

void SharedFileStatements::insert(const SharedFileRow& row) {
  insert_.Bind(0, row.hash);
  insert_.Bind(1, row.name);
  insert_.Bind(2, row.extension);
  insert_.Bind(3, row.file_type);
  insert_.Bind(4, static_cast<double>(row.size));
  insert_.Bind(5, static_cast<double>(row.size));
  insert_.Bind(6, row.last_write_time);
  insert_.Bind(7, row.path);
  insert_.Bind(8, 0);
  insert_.Bind(9, 0);
  insert_.Bind(10, 0);
  insert_.Bind(11, static_cast<int>(row.right));
  insert_.Bind(12, row.shared_name);
  insert_.Bind(13, row.shared_index);
  insert_.Bind(14, db::kHashVersion);
  insert_.Bind(15, row.run_id);
  insert_.Execute();
}

void SharedFileStatements::finish() {
  select_.Finish();
  update_.Finish();
  delete_.Finish();
  insert_.Finish();
}

std::pair<std::string, std::string> split_file_name(const std::string& file_name) {
  size_t dot = file_name.rfind('.');
  if (dot == std::string::npos) return {file_name, ""};
  return {file_name.substr(0, dot), file_name.substr(dot + 1)};
}

}  // namespace dovel::share
