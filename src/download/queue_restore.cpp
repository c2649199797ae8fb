#include "download/queue_restore.h"

#include <mutex>
#include <set>

#include "base/text.h"
#include "download/add_request.h"
#include "download/download_names.h"
#include "download/download_paths.h"
#include "download/download_records.h"
#include "download/source_list.h"
#include "share/file_hash.h"
#include "util/file_hash_text.h"

namespace dovel::download {
namespace {

std::string temporary_name(const std::string& file_name) { return std::string(kTemporaryPrefix) + file_name; }

bool is_nonempty_regular_file(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
  if (error || !std::filesystem::is_regular_file(status)) return false;
  uintmax_t size = std::filesystem::file_size(path, error);
  return !error && size > 0;
}

bool is_well_formed(const QueuedRow& row) {
  return util::is_file_hash_text(row.hash) && is_safe_file_name(row.file_name) && is_safe_sub_folder(row.sub_folder) && row.size > 0;
}

// A download whose file was already in place when the program ended, before
// its row was dropped: the target folder holds the file under its own name and
// with the item's FileHash.
bool finished_in_place(const QueuedRow& row, const std::filesystem::path& download_folder) {
  std::optional<std::filesystem::path> folder = target_folder_path(download_folder, row.sub_folder);
  if (!folder) return false;
  std::optional<share::FileHash> hash = share::sampled_md5_of_file(*folder / row.file_name);
  return hash && base::iequals_ascii(*hash, row.hash);
}

enum class RowFate { Restored, Finished, Dropped };

// A row with its partial file (or with nothing received yet) comes back
// stopped. A row whose partial file is gone because the finished file was
// moved into place before the program ended comes back finished, as that run
// would have left it. Without the download folder (a drive not mounted) the
// temporary files cannot be told missing, so the rows are kept for when it is back.
RowFate fate_of(db::InfoDatabase& info, const QueuedRow& row, const std::filesystem::path& download_folder, bool folder_present) {
  if (!folder_present) return has_range_rows(info, row.hash) ? RowFate::Restored : RowFate::Dropped;
  std::optional<std::filesystem::path> temporary = temporary_file_path(download_folder, row.file_name);
  if (temporary && is_nonempty_regular_file(*temporary)) return has_range_rows(info, row.hash) ? RowFate::Restored : RowFate::Dropped;
  if (finished_in_place(row, download_folder)) return RowFate::Finished;
  return row.current == 0 && has_range_rows(info, row.hash) ? RowFate::Restored : RowFate::Dropped;
}

// A partial file longer than its item (bytes written past the end by a peer
// of another file, or a file changed by hand) is cut back to the item's size,
// so that the file that is moved into place is never longer than the file.
void trim_overlong_partial(const QueuedRow& row, const std::filesystem::path& download_folder) {
  std::optional<std::filesystem::path> temporary = temporary_file_path(download_folder, row.file_name);
  std::error_code error;
  if (!temporary || !std::filesystem::is_regular_file(std::filesystem::symlink_status(*temporary, error))) return;
  const uintmax_t size = std::filesystem::file_size(*temporary, error);
  if (!error && size > static_cast<uintmax_t>(row.size)) std::filesystem::resize_file(*temporary, static_cast<uintmax_t>(row.size), error);
}

std::shared_ptr<DownloadItem> restored_item(db::InfoDatabase& info, const QueuedRow& row, const std::filesystem::path& download_folder) {
  auto item = std::make_shared<DownloadItem>();
  item->hash = row.hash;
  item->file_name = row.file_name;
  item->size = row.size;
  item->received = row.current;
  item->received_at_start = row.current;
  item->peer_id = row.peer_id;
  item->folder_password = row.password;
  item->server_share_index = row.shared_index;
  item->server_path = row.path;
  item->download_folder = download_folder.string();
  item->sub_folder = row.sub_folder;
  item->sources = merged_sources({}, load_sources(info, row.hash));
  item->set_state(ItemState::Stopped);
  return item;
}

void sweep_temporary_folder(const std::filesystem::path& download_folder, const std::set<std::string>& kept_names, RestoredQueue& result) {
  std::optional<std::filesystem::path> folder = temporary_folder_path(download_folder);
  std::error_code error;
  if (!folder || !std::filesystem::is_directory(std::filesystem::symlink_status(*folder, error))) return;
  result.temporary_folder = *folder;
  for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(*folder, error)) {
    std::error_code entry_error;
    if (!std::filesystem::is_regular_file(entry.symlink_status(entry_error))) continue;
    std::string name = entry.path().filename().string();
    if (kept_names.count(name) != 0) continue;
    uintmax_t size = std::filesystem::file_size(entry.path(), entry_error);
    if (entry_error) continue;
    if (size == 0) {
      if (std::filesystem::remove(entry.path(), entry_error)) result.deleted_empty_files.push_back(name);
    } else {
      result.leftovers.push_back({name, static_cast<int64_t>(size)});
    }
  }
}

}  // namespace

RestoredQueue restore_queue(db::InfoDatabase& info, const std::filesystem::path& download_folder, const std::vector<ListedFile>& listed) {
  RestoredQueue result;
  std::set<std::string> kept_names;
  std::set<std::string> known_hashes;
  for (const ListedFile& file : listed) {
    kept_names.insert(temporary_name(file.file_name));
    known_hashes.insert(base::ascii_lower(file.hash));
  }
  std::error_code error;
  const bool folder_present = !download_folder.empty() && std::filesystem::is_directory(download_folder, error);
  {
    std::lock_guard guard(info.info_lock());
    std::set<std::string> restored_hashes;
    std::set<std::string> restored_names;
    for (const QueuedRow& row : load_queued_rows(info)) {
      const std::string hash_key = base::ascii_lower(row.hash);
      if (known_hashes.count(hash_key) != 0) continue;
      const bool usable = is_well_formed(row) && restored_hashes.count(hash_key) == 0 && restored_names.count(row.file_name) == 0;
      const RowFate fate = usable ? fate_of(info, row, download_folder, folder_present) : RowFate::Dropped;
      if (fate != RowFate::Restored) result.dropped_hashes.push_back(row.hash);
      if (fate == RowFate::Dropped) continue;
      restored_hashes.insert(hash_key);
      restored_names.insert(row.file_name);
      std::shared_ptr<DownloadItem> item = restored_item(info, row, download_folder);
      if (fate == RowFate::Finished) {
        item->received = row.size;
        item->set_state(ItemState::Finished);
      } else {
        if (folder_present) trim_overlong_partial(row, download_folder);
        kept_names.insert(temporary_name(row.file_name));
      }
      result.items.push_back(std::move(item));
    }
    db::InfoTransaction transaction(info);
    for (const std::string& hash : result.dropped_hashes) delete_queued_file(info, hash);
  }
  if (folder_present) sweep_temporary_folder(download_folder, kept_names, result);
  return result;
}

}  // namespace dovel::download
