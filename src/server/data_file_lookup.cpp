#include "server/data_file_lookup.h"

#include <vector>

#include "share/shared_file_statements.h"
#include "util/file_hash_text.h"

namespace dovel::server {
namespace {

struct StoredRow {
  std::string name;
  std::string extension;
  std::string path;
  int file_type = 0;
  int64_t size = 0;
  settings::ShareIndex shared_index = -1;
};

// Rows one hash may have, looked at in turn.
constexpr size_t kMaxRowsOfOneHash = 16;

std::string text_of(const db::Sqlite3Query& query, int column) {
  const char* text = query.Text(column);
  return text != nullptr ? text : "";
}

}  // namespace

DataFileLookup::DataFileLookup(share::ServedTree tree, PeerDatabase& database, share::HashService& hashing)
    : tree_(std::move(tree)), database_(database), hashing_(hashing) {}

ServedFile DataFileLookup::served(const share::FileOnDisk& file, std::string folder_path, std::string file_name, share::FileHash hash) const {
  return ServedFile{file.path, file.index, tree_.folders()[static_cast<size_t>(file.index)].flags, std::move(folder_path), std::move(file_name),
                    std::move(hash)};
}

std::optional<ServedFile> DataFileLookup::stored_file(std::string_view hash, int64_t size) {
  if (!util::is_file_hash_text(hash)) return std::nullopt;
  std::vector<StoredRow> rows;
  {
    std::optional<PeerDatabase::Use> use = database_.use();
    if (!use) return std::nullopt;
    try {
      db::Sqlite3Statement select = use->connection().Prepare(
          "Select [name],[extention],[path],[file_type],[size],[right],[shared_index] From [shared_files] Where [hash]=?");
      select.Bind(0, hash);
      for (db::Sqlite3Query found = select.Query(); !found.AtEnd() && rows.size() < kMaxRowsOfOneHash; found.Next()) {
        rows.push_back({text_of(found, 0), text_of(found, 1), text_of(found, 2), found.Int(3), found.Int64(4), found.Int(6)});
      }
    } catch (const db::CppSQLite3Exception&) {
      return std::nullopt;
    }
  }
  // Copies of one content may stand in several places; a row that the tree no
  // longer offers (a share nested in a stricter one, say) gives way to the next.
  for (const StoredRow& row : rows) {
    if (row.size <= 0 || row.size != size) continue;
    // On this file system "name." is not "name": a file without extension has none.
    std::string file_name = row.name;
    if (row.file_type == share::kFileRow && !row.extension.empty()) file_name += "." + row.extension;
    const std::optional<share::FileOnDisk> file = tree_.file(row.shared_index, row.path, file_name);
    if (file && file->size == size) return served(*file, row.path, std::move(file_name), std::string(hash));
  }
  return std::nullopt;
}

std::optional<ServedFile> DataFileLookup::by_hash(const wire::DataRequest& request) {
  if (auto stored = stored_file(request.hash, request.size)) return stored;
  // The share of the file found is checked against the requester afterwards.
  const share::FileHash made =
      hashing_.hash_on_demand(request.folder_path, request.file_name, request.size, request.share_index, share::any_share);
  if (made.empty()) return std::nullopt;
  return stored_file(made, request.size);
}

std::optional<ServedFile> DataFileLookup::by_path(const wire::DataRequest& request) {
  if (!wire::names_plain_file(request)) return std::nullopt;
  const std::optional<share::FileOnDisk> file = tree_.find_file(request.share_index, request.folder_path, request.file_name,
                                                                [&request](const share::FileOnDisk& found) { return found.size == request.size; });
  if (!file) return std::nullopt;
  ServedFile found = served(*file, request.folder_path, request.file_name, {});
  const std::optional<ServedFile> stored = stored_file(request.hash, request.size);
  found.hash = stored && stored->disk_path == found.disk_path
                   ? request.hash
                   : hashing_.hash_on_demand(request.folder_path, request.file_name, request.size, file->index, share::any_share);
  return found;
}

}  // namespace dovel::server
