#include "share/hash_on_demand.h"

#include <mutex>
#include <optional>
#include <string>

#include "base/string_printf.h"
#include "base/text.h"
#include "db/database_lock.h"
#include "db/sqlite3_connection.h"
#include "share/served_tree.h"
#include "share/shared_file_statements.h"

namespace dovel::share {

FileHash hash_on_demand(const HashSettings& settings, const std::filesystem::path& database_file, const platform::Clock& clock,
                        std::string_view relative_path, std::string_view file_name, int64_t size, settings::ShareIndex index,
                        const ShareFilter& may_look_in, const db::GiveUp& give_up) {
  if (file_name.empty() || index == -1 || size <= 0) return {};
  const std::string row_path = std::string(base::trim_backslashes(relative_path));
  const ServedTree tree(settings.shared_folders(), settings.download_folder());
  const std::optional<FileOnDisk> file = tree.find_file(index, row_path, file_name, [&](const FileOnDisk& found) {
    return found.size == size && may_look_in(found.index);
  });
  if (!file) return {};
  const settings::SharedFolder& folder = tree.folders()[static_cast<size_t>(file->index)];
  const auto last_write_time = static_cast<int32_t>(file->last_write & 0xFFFFFFFFu);

  auto hash_now = [&file] { return sampled_md5_of_file(file->path).value_or(""); };
  auto [name, extension] = split_file_name(std::string(file_name));
  // A run that started meanwhile holds the database for its walk: no hash then, rather than a wait for the walk.
  std::unique_lock guard = db::lock_database_unless(give_up);
  if (!guard.owns_lock()) return {};
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
        SharedFileRow row{hash, name, extension, kFileRow, file->size, last_write_time, row_path, folder.flags, folder.name, file->index, run_id};
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
