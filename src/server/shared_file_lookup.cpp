#include "server/shared_file_lookup.h"

#include "base/text.h"
#include "share/shared_file_statements.h"
#include "util/file_hash_text.h"

namespace dovel::server {

std::string stored_hash_of(PeerDatabase& database, std::string_view file_name, int64_t size, settings::ShareIndex share_index) {
  auto [name, extension] = share::split_file_name(std::string(file_name));
  std::optional<PeerDatabase::Use> use = database.use();
  if (!use) return {};
  try {
    db::Sqlite3Statement select =
        use->connection().Prepare("Select [hash] From [shared_files] Where [name]=? And [extention]=? And [size]=? And [shared_index]=? And [hash]<>''");
    select.Bind(0, name);
    select.Bind(1, extension);
    select.Bind(2, static_cast<double>(size));
    select.Bind(3, share_index);
    db::Sqlite3Query rows = select.Query();
    if (rows.AtEnd()) return {};
    const char* hash = rows.Text(0);
    return hash != nullptr ? hash : "";
  } catch (const db::CppSQLite3Exception&) {
    return {};
  }
}

std::optional<HashedRow> row_of_hash(PeerDatabase& database, std::string_view hash) {
  if (!util::is_file_hash_text(hash)) return std::nullopt;
  std::optional<PeerDatabase::Use> use = database.use();
  if (!use) return std::nullopt;
  try {
    db::Sqlite3Statement select = use->connection().Prepare(
        "Select [name],[extention],[path],[file_type],[size],[right],[shared_index] From [shared_files] Where [hash]=?");
    select.Bind(0, base::ascii_lower(hash));
    db::Sqlite3Query rows = select.Query();
    if (rows.AtEnd()) return std::nullopt;
    auto text = [&rows](int column) { return std::string(rows.Text(column) != nullptr ? rows.Text(column) : ""); };
    HashedRow row;
    row.name = text(0);
    row.extension = text(1);
    row.path = text(2);
    row.is_directory = rows.Int(3) == share::kDirectoryRow;
    row.size = rows.Int64(4);
    row.right = static_cast<uint32_t>(rows.Int64(5));
    row.shared_index = static_cast<settings::ShareIndex>(rows.Int64(6));
    return row;
  } catch (const db::CppSQLite3Exception&) {
    return std::nullopt;
  }
}

}  // namespace dovel::server
