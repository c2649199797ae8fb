#include "server/data_file_lookup.h"

#include <sys/stat.h>

#include "base/text.h"
#include "platform/safe_path.h"
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

std::string text_of(const db::Sqlite3Query& query, int column) {
  const char* text = query.Text(column);
  return text != nullptr ? text : "";
}

}  // namespace

DataFileLookup::DataFileLookup(std::vector<settings::SharedFolder> folders, PeerDatabase& database, share::HashService& hashing)
    : folders_(std::move(folders)), database_(database), hashing_(hashing) {}

std::optional<std::filesystem::path> DataFileLookup::file_of_size(settings::ShareIndex index, std::string_view folder_path,
                                                                  std::string_view file_name, int64_t size) const {
  if (index < 0 || static_cast<size_t>(index) >= folders_.size() || file_name.empty()) return std::nullopt;
  folder_path = base::trim_backslashes(folder_path);
  const std::string wire_path = folder_path.empty() ? std::string(file_name) : std::string(folder_path) + "\\" + std::string(file_name);
  platform::ResolvedPath resolved = platform::resolve_below(folders_[static_cast<size_t>(index)].path, wire_path);
  if (!resolved) return std::nullopt;
  struct stat status {};
  if (::stat(resolved.path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size != size) return std::nullopt;
  return resolved.path;
}

std::optional<ServedFile> DataFileLookup::stored_file(std::string_view hash, int64_t size) {
  if (!util::is_file_hash_text(hash)) return std::nullopt;
  StoredRow row;
  {
    std::optional<PeerDatabase::Use> use = database_.use();
    if (!use) return std::nullopt;
    try {
      db::Sqlite3Statement select = use->connection().Prepare(
          "Select [name],[extention],[path],[file_type],[size],[right],[shared_index] From [shared_files] Where [hash]=?");
      select.Bind(0, hash);
      db::Sqlite3Query found = select.Query();
      if (found.AtEnd()) return std::nullopt;
      row = {text_of(found, 0), text_of(found, 1), text_of(found, 2), found.Int(3), found.Int64(4), found.Int(6)};
      found.Finish();
    } catch (const db::CppSQLite3Exception&) {
      return std::nullopt;
    }
  }
  if (row.size <= 0 || row.size != size) return std::nullopt;
  // On this file system "name." is not "name": a file without extension has none.
  std::string file_name = row.name;
  if (row.file_type == share::kFileRow && !row.extension.empty()) file_name += "." + row.extension;
  std::optional<std::filesystem::path> disk_path = file_of_size(row.shared_index, row.path, file_name, size);
  if (!disk_path) return std::nullopt;
  return ServedFile{*disk_path, row.shared_index, folders_[static_cast<size_t>(row.shared_index)].flags, row.path, file_name,
                    std::string(hash)};
}

std::optional<ServedFile> DataFileLookup::by_hash(const wire::DataRequest& request) {
  if (auto stored = stored_file(request.hash, request.size)) return stored;
  // The share of the file found is checked against the requester afterwards.
  const share::FileHash made = hashing_.hash_on_demand(request.folder_path, request.file_name, request.share_index, share::any_share);
  if (made.empty()) return std::nullopt;
  return stored_file(made, request.size);
}

std::optional<ServedFile> DataFileLookup::by_path(const wire::DataRequest& request) {
  if (!wire::names_plain_file(request)) return std::nullopt;
  settings::ShareIndex index = request.share_index;
  std::optional<std::filesystem::path> disk_path = file_of_size(index, request.folder_path, request.file_name, request.size);
  for (size_t other = 0; !disk_path && other < folders_.size(); ++other) {
    index = static_cast<settings::ShareIndex>(other);
    disk_path = file_of_size(index, request.folder_path, request.file_name, request.size);
  }
  if (!disk_path) return std::nullopt;
  ServedFile served{*disk_path, index, folders_[static_cast<size_t>(index)].flags, request.folder_path, request.file_name, {}};
  const std::optional<ServedFile> stored = stored_file(request.hash, request.size);
  served.hash = stored && stored->disk_path == served.disk_path ? request.hash
                                                                 : hashing_.hash_on_demand(request.folder_path, request.file_name, index, share::any_share);
  return served;
}

}  // namespace dovel::server
