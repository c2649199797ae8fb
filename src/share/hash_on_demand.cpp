#include "share/hash_on_demand.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/string_printf.h"
#include "base/text.h"
#include "db/database_lock.h"
#include "db/sqlite3_connection.h"
#include "platform/filetime.h"
#include "platform/safe_path.h"
#include "share/shareable_name.h"
#include "share/shared_file_statements.h"

namespace dovel::share {
namespace {

struct LocatedFile {
  settings::ShareIndex index = 0;
  settings::SharedFolder folder;
  std::filesystem::path path;
  int64_t size = 0;
  int32_t last_write_time = 0;
};

std::optional<LocatedFile> non_empty_file_in(const settings::SharedFolder& folder, settings::ShareIndex index, const std::string& wire_path) {
  platform::ResolvedPath resolved = platform::resolve_below(folder.path, wire_path);
  if (!resolved) return std::nullopt;
  struct stat status {};
  if (::stat(resolved.path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) return std::nullopt;
  return LocatedFile{index, folder, resolved.path, status.st_size,
                     static_cast<int32_t>(platform::filetime_from_timespec(status.st_mtim) & 0xFFFFFFFFu)};
}

std::optional<LocatedFile> locate(const std::vector<settings::SharedFolder>& folders, settings::ShareIndex index, const std::string& wire_path,
                                  const ShareFilter& may_look_in) {
  if (index >= 0 && static_cast<size_t>(index) < folders.size() && may_look_in(index)) {
    if (auto found = non_empty_file_in(folders[static_cast<size_t>(index)], index, wire_path)) return found;
  }
  for (size_t other = 0; other < folders.size(); ++other) {
    const auto other_index = static_cast<settings::ShareIndex>(other);
    if (!may_look_in(other_index)) continue;
    if (auto found = non_empty_file_in(folders[other], other_index, wire_path)) return found;
  }
  return std::nullopt;
}

}  // namespace

FileHash hash_on_demand(const HashSettings& settings, const std::filesystem::path& database_file, const platform::Clock& clock,
                        std::string_view relative_path, std::string_view file_name, settings::ShareIndex index, const ShareFilter& may_look_in) {
  if (file_name.empty() || index == -1 || !is_shareable_name(file_name)) return {};
  const std::string row_path = std::string(base::trim_backslashes(relative_path));
  const std::string wire_path = row_path.empty() ? std::string(file_name) : row_path + "\\" + std::string(file_name);
  std::optional<LocatedFile> file = locate(settings.shared_folders(), index, wire_path, may_look_in);
  if (!file) return {};

  auto hash_now = [&file] { return sampled_md5_of_file(file->path).value_or(""); };
  auto [name, extension] = split_file_name(std::string(file_name));
  std::lock_guard guard(db::database_lock());
  try {
    db::Sqlite3Connection connection;
    connection.Open(database_file);
    db::Sqlite3Statement select = connection.Prepare(
        "Select [hash],[uniq_id],[idx] From [shared_files] Where [path]=? And [name]=? And [extention]=? And [shared_index]=?");
    select.Bind(0, row_path);
    select.Bind(1, name);
    select.Bind(2, extension);
    select.Bind(3, file->index);
    db::Sqlite3Query found = select.Query();
    const int32_t run_id = static_cast<int32_t>(clock.performance_counter() & 0xFFFFFFFFu);

    if (found.AtEnd()) {
      found.Finish();
      FileHash hash = hash_now();
      SharedFileStatements statements(connection, run_id);
      connection.Execute(base::string_printf("Update [shared_files] Set [uniq_id]=%d", run_id));
      if (!hash.empty()) {
        SharedFileRow row{hash, name, extension, kFileRow, file->size, file->last_write_time, row_path,
                          file->folder.flags, file->folder.name, file->index, run_id};
        statements.insert(row);
      }
      connection.Execute(base::string_printf("Delete From [shared_files] Where [uniq_id]<>%d", run_id));
      statements.finish();
      return hash;
    }

    const char* stored = found.Text(0);
    FileHash hash = stored != nullptr ? stored : "";
    const int64_t row_id = found.Int64(2);
    found.Finish();
    // A stored hash is the answer; rewriting its row would only cost a write.
    if (!hash.empty()) return hash;
    hash = hash_now();
    db::Sqlite3Statement update = connection.Prepare("Update [shared_files] Set [hash]=?, [uniq_id]=? Where [idx]=?");
    update.Bind(0, hash);
    update.Bind(1, run_id);
    update.Bind(2, row_id);
    update.Execute();
    return hash;
  } catch (const db::CppSQLite3Exception&) {
    return hash_now();
  }
}

}  // namespace dovel::share
