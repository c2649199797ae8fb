#include "download/download_manager.h"

#include <algorithm>
#include <set>
#include <utility>

#include "base/text.h"
#include "core/message_ids.h"
#include "download/download_names.h"
#include "download/download_paths.h"
#include "download/download_records.h"
#include "download/item_snapshot.h"
#include "download/scheduling.h"
#include "download/source_list.h"
#include "download/status_codes.h"
#include "util/file_hash_text.h"
#include "util/format.h"
#include "util/links.h"
#include "util/log_files.h"

namespace dovel::download {
namespace {

constexpr size_t kMaxMovedRows = 1000;

// The run of an item ended; travels to the manager's event thread.
struct RunEndedPayload : core::MessagePayload {
  explicit RunEndedPayload(std::shared_ptr<DownloadItem> ended) : item(std::move(ended)) {}
  std::shared_ptr<DownloadItem> item;
};

// Moves the item from the state it is seen in to `next`, unless its run changed
// the state meanwhile to one of `keep`.
void move_state(DownloadItem& item, ItemState next, std::initializer_list<ItemState> keep) {
  int seen = item.state.load();
  while (std::find(keep.begin(), keep.end(), static_cast<ItemState>(seen)) == keep.end()) {
    if (item.state.compare_exchange_weak(seen, static_cast<int>(next))) return;
  }
}

bool valid_request_details(const AddRequest& request) {
  return request.size > 0 && is_safe_sub_folder(request.sub_folder) && request.peer_id.size() <= kMaxPeerIdBytes &&
         request.folder_password.size() <= kMaxPasswordBytes;
}

// Refusals of requests that cannot be queued as they stand; false when it is fine.
bool refused(const AddRequest& request) {
  const std::string shown = printable_name(request.file_name);
  if (!util::is_file_hash_text(request.hash)) {
    util::LogSystem("'%s' 파일의 해시가 올바르지 않습니다. 다운로드가 취소되었습니다.", shown.c_str());
    return true;
  }
  if (!is_safe_file_name(request.file_name)) {
    util::LogSystem("'%s'는 사용할 수 없는 파일이름입니다. 다운로드가 취소되었습니다.", shown.c_str());
    return true;
  }
  if (request.size == 0) {
    util::LogSystem("%s는 크기가 0입니다. 다운로드가 취소되었습니다.", shown.c_str());
    return true;
  }
  if (!valid_request_details(request)) {
    util::LogSystem("'%s'의 다운로드 정보가 올바르지 않습니다. 다운로드가 취소되었습니다.", shown.c_str());
    return true;
  }
  return false;
}

void delete_temporary_file(const std::string& download_folder, const std::string& file_name) {
  std::optional<std::filesystem::path> temporary = temporary_file_path(download_folder, file_name);
  if (!temporary) return;
  std::error_code error;
  if (std::filesystem::is_regular_file(std::filesystem::symlink_status(*temporary, error))) std::filesystem::remove(*temporary, error);
}

template <typename Entries>
auto find_entry(Entries& entries, const std::string& hash) -> decltype(&entries.front()) {
  for (auto& entry : entries) {
    if (base::iequals_ascii(entry.item->hash, hash)) return &entry;
  }
  return nullptr;
}

void report_leftovers(const std::vector<LeftoverFile>& leftovers) {
  if (leftovers.empty()) return;
  util::LogSystem("임시폴더에 정리되지 않은 파일들이 있습니다.");
  util::LogSystem("이는 보통 다운로드완료시 다른 프로그램이 해당파일을 잡고 있어 임시폴더에서 다운폴더로 옮기지 못한 경우가 대부분입니다.");
  for (const LeftoverFile& file : leftovers) {
    util::LogSystem("%s(%s)", printable_name(file.name).c_str(), util::FormatNumber(file.size).c_str());
  }
}

}  // namespace

DownloadManager::DownloadManager(db::InfoDatabase& info, TransferRunner& runner, QueueHost& host, const platform::Clock& clock,
                                 size_t max_items)
    : info_(info), runner_(runner), host_(host), clock_(clock), max_items_(max_items), events_([this](core::Message& message) {
        if (message.id != core::UM_DOWNLOAD_STATUS) return;
        if (auto* ended = dynamic_cast<RunEndedPayload*>(message.payload.get())) handle_run_end(ended->item);
      }) {}

DownloadManager::~DownloadManager() { shut_down(); }

void DownloadManager::set_folder_queue(FolderDownloadQueue* folders) {
  std::lock_guard guard(lock_);
  folders_ = folders;
}

void DownloadManager::set_change_listener(std::function<void()> listener) {
  std::lock_guard guard(listener_lock_);
  change_listener_ = std::move(listener);
}

void DownloadManager::set_exit_listener(std::function<void()> listener) {
  std::lock_guard guard(listener_lock_);
  exit_listener_ = std::move(listener);
}

bool DownloadManager::check_ready_for_work() {
  if (!host_.service_ready()) return false;
  if (!runner_.can_connect()) {
    util::LogSystem("탐색쓰레드생성실패. 다운로드가 취소되었습니다.");
    return false;
  }
  return true;
}

bool DownloadManager::add(const AddRequest& request) {
  if (refused(request) || !check_ready_for_work()) return false;
  const std::string download_folder = host_.download_folder();
  {
    std::lock_guard guard(lock_);
    if (closing_) return false;
    if (Entry* entry = find_locked(request.hash)) {
      if (!requeue_locked(*entry, request)) return false;
    } else {
      if (has_unfinished_name_locked(request.file_name)) {
        util::LogSystem("같은 파일이름이 존재합니다. 다운로드폴더를 확인하세요.");
        return false;
      }
      if (entries_.size() >= max_items_) {
        util::LogSystem("다운로드목록이 가득 찼습니다(%zu개). 완료된 파일을 목록에서 지운 뒤 다시 시도하세요.", max_items_);
        return false;
      }
      std::shared_ptr<DownloadItem> item = create_item_locked(request, download_folder);
      entries_.push_back({item, false, false, false, -1});
      std::lock_guard info_guard(info_.info_lock());
      db::InfoTransaction transaction(info_);
      insert_queued_row(info_, {item->hash, item->file_name, item->size, 0, item->peer_id, item->folder_password, 0, "", item->sub_folder});
      update_order(info_, item->hash, item->peer_id, static_cast<int>(entries_.size() - 1));
      insert_range_placeholder(info_, item->hash);
      add_sources(info_, item->hash, item->sources);
    }
  }
  tell_changed();
  schedule();
  if (request.switch_to_downloads) {
    host_.show_downloads();
  } else {
    util::LogSystem("다운로드목록에 추가하였습니다.");
  }
  return true;
}

bool DownloadManager::contains(const std::string& hash) const {
  std::lock_guard guard(lock_);
  return find_locked(hash) != nullptr;
}

std::shared_ptr<DownloadItem> DownloadManager::create_item_locked(const AddRequest& request, const std::string& download_folder) {
  auto item = std::make_shared<DownloadItem>();
  item->hash = request.hash;
  item->file_name = request.file_name;
  item->size = request.size;
  item->peer_id = request.peer_id;
  item->folder_password = request.folder_password;
  item->listing_attributes = request.listing_attributes;
  item->download_folder = download_folder;
  item->sub_folder = std::string(base::trim_backslashes(request.sub_folder));
  item->sources = merged_sources({}, request.sources);
  item->set_state(ItemState::Waiting);
  return item;
}

bool DownloadManager::requeue_locked(Entry& entry, const AddRequest& request) {
  DownloadItem& item = *entry.item;
  switch (item.current_state()) {
    case ItemState::Transferring:
    case ItemState::Finished: util::LogSystem("완료되었거나 전송중인 파일입니다."); return false;
    case ItemState::Stopped: break;
    default: return false;
  }
  std::vector<Source> sources;
  {
    std::lock_guard item_guard(item.lock);
    item.sources = with_sources_first(item.sources, request.sources);
    item.server_share_index = 0;
    sources = item.sources;
  }
  move_state(item, ItemState::Waiting, {ItemState::Waiting, ItemState::Preparing, ItemState::Transferring, ItemState::Moving,
                                        ItemState::Finished});
  entry.resume_after_run = entry.run_active;
  item.retry_barred = false;
  add_sources(info_, item.hash, sources);
  return true;
}

DownloadManager::Entry* DownloadManager::find_locked(const std::string& hash) { return find_entry(entries_, hash); }

const DownloadManager::Entry* DownloadManager::find_locked(const std::string& hash) const { return find_entry(entries_, hash); }

// Two unfinished items of one name would share a temporary file.
bool DownloadManager::has_unfinished_name_locked(const std::string& file_name) const {
  return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& entry) {
    if (entry.item->current_state() == ItemState::Finished) return false;
    std::lock_guard item_guard(entry.item->lock);
    return entry.item->file_name == file_name;
  });
}

RestoredQueue DownloadManager::restore() {
  const std::string download_folder = host_.download_folder();
  RestoredQueue restored;
  {
    std::lock_guard guard(lock_);
    std::vector<ListedFile> listed;
    for (const Entry& entry : entries_) {
      std::lock_guard item_guard(entry.item->lock);
      listed.push_back({entry.item->hash, entry.item->file_name});
    }
    restored = restore_queue(info_, download_folder, listed);
    for (const std::shared_ptr<DownloadItem>& item : restored.items) entries_.push_back({item, false, false, false, -1});
  }
  report_leftovers(restored.leftovers);
  tell_changed();
  return restored;
}

bool DownloadManager::resume(const std::string& hash) {
  if (!check_ready_for_work()) return false;
  {
    std::lock_guard guard(lock_);
    Entry* entry = find_locked(hash);
    if (entry == nullptr) return false;
    ItemState state = entry->item->current_state();
    if (state != ItemState::Stopped && state != ItemState::Waiting) return false;
    move_state(*entry->item, ItemState::Waiting,
               {ItemState::Waiting, ItemState::Preparing, ItemState::Transferring, ItemState::Moving, ItemState::Finished});
    entry->resume_after_run = entry->run_active;
    entry->item->retry_barred = false;
  }
  tell_changed();
  schedule();
  return true;
}

bool DownloadManager::stop(const std::string& hash) {
  std::shared_ptr<DownloadItem> item;
  bool run_active = false;
  {
    std::lock_guard guard(lock_);
    Entry* entry = find_locked(hash);
    if (entry == nullptr) return false;
    item = entry->item;
    run_active = entry->run_active;
  }
  switch (item->current_state()) {
    case ItemState::Preparing: util::LogSystem("준비중인 파일은 취소할 수 없습니다. 준비가 끝나면 취소가 가능합니다."); return false;
    case ItemState::Finished: return false;
    default: break;
  }
  {
    std::lock_guard guard(lock_);
    if (Entry* entry = find_locked(hash)) entry->resume_after_run = false;
  }
  item->stop_requested = true;
  if (run_active) runner_.cancel(*item);
  move_state(*item, ItemState::Stopped, {ItemState::Stopped, ItemState::Finished});
  tell_changed();
  schedule();
  return true;
}

bool DownloadManager::remove(const std::string& hash) {
  bool last_exit_report = false;
  {
    std::lock_guard guard(lock_);
    Entry* entry = find_locked(hash);
    if (entry == nullptr) return false;
    // A finished item still flushing its file may be waited for by the exit.
    const bool exit_counted = entry->exit_counted;
    if (!remove_locked(static_cast<size_t>(entry - entries_.data()))) {
      util::LogSystem("전송을 중지한후 목록에서 삭제하십시요.");
      return false;
    }
    if (exit_counted && exit_reports_pending_ > 0) last_exit_report = --exit_reports_pending_ == 0;
  }
  tell_changed();
  if (last_exit_report) tell_exit_done();
  schedule();
  return true;
}

// A stopped item whose run has ended, or a finished one (whose run may still be
// flushing the file): its rows go in one transaction; the temporary file of a
// stopped item goes with them. A finished file has left the temporary folder
// and is never touched.
bool DownloadManager::remove_locked(size_t index) {
  Entry& entry = entries_[index];
  DownloadItem& item = *entry.item;
  const ItemState state = item.current_state();
  if (state == ItemState::Stopped ? entry.run_active : state != ItemState::Finished) return false;
  item.stop_requested = true;
  {
    std::lock_guard info_guard(info_.info_lock());
    db::InfoTransaction transaction(info_);
    delete_queued_file(info_, item.hash);
  }
  if (state == ItemState::Stopped) {
    std::lock_guard item_guard(item.lock);
    delete_temporary_file(item.download_folder, item.file_name);
  }
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

int DownloadManager::remove_finished() {
  int removed = 0;
  {
    std::lock_guard guard(lock_);
    auto finished = [](const Entry& entry) { return entry.item->current_state() == ItemState::Finished; };
    removed = static_cast<int>(std::count_if(entries_.begin(), entries_.end(), finished));
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), finished), entries_.end());
  }
  if (removed > 0) tell_changed();
  return removed;
}

bool DownloadManager::move(const std::vector<std::string>& hashes, bool up) {
  {
    std::lock_guard guard(lock_);
    std::set<size_t> selected;
    for (const std::string& hash : hashes) {
      if (selected.size() >= kMaxMovedRows) break;
      if (Entry* entry = find_locked(hash)) selected.insert(static_cast<size_t>(entry - entries_.data()));
    }
    if (selected.empty()) return false;
    const size_t first = *selected.begin();
    const size_t last = *selected.rbegin();
    if (up ? first == 0 : last + 1 >= entries_.size()) return false;
    const DownloadItem* anchor = entries_[up ? first - 1 : last + 1].item.get();

    std::vector<Entry> block;
    std::vector<Entry> rest;
    for (size_t index = 0; index < entries_.size(); ++index) {
      (selected.count(index) != 0 ? block : rest).push_back(std::move(entries_[index]));
    }
    auto at = std::find_if(rest.begin(), rest.end(), [&](const Entry& entry) { return entry.item.get() == anchor; });
    if (!up) ++at;
    rest.insert(at, std::make_move_iterator(block.begin()), std::make_move_iterator(block.end()));
    entries_ = std::move(rest);
    save_order_locked();
  }
  tell_changed();
  return true;
}

std::optional<std::string> DownloadManager::copy_link(const std::string& hash) const {
  std::lock_guard guard(lock_);
  const Entry* entry = find_locked(hash);
  if (entry == nullptr) return std::nullopt;
  std::lock_guard item_guard(entry->item->lock);
  return util::FileLink(entry->item->file_name, entry->item->hash, entry->item->size);
}

std::vector<ListRow> DownloadManager::snapshot() {
  const int64_t now = now_ms();
  std::lock_guard guard(lock_);
  std::vector<ListRow> rows;
  rows.reserve(entries_.size());
  for (Entry& entry : entries_) {
    ItemSnapshot item = take_snapshot(*entry.item, now, entry.current_speed);
    ItemTexts texts = item_texts(item);
    rows.push_back({std::move(item), std::move(texts)});
  }
  return rows;
}

void DownloadManager::schedule() {
  const int limit = simultaneous_limit(host_.simultaneous_limit_setting());
  BusyServers servers;
  std::vector<std::shared_ptr<DownloadItem>> starting;
  FolderDownloadQueue* folders = nullptr;
  {
    std::lock_guard guard(lock_);
    if (closing_) return;
    std::vector<ScheduleRow> rows;
    rows.reserve(entries_.size());
    for (const Entry& entry : entries_) {
      ScheduleRow row;
      row.state = entry.item->current_state();
      row.can_start = !entry.run_active;
      {
        std::lock_guard item_guard(entry.item->lock);
        row.sources = entry.item->sources;
      }
      // A run still winding down holds its servers.
      servers.enter(entry.run_active ? ItemState::Transferring : row.state, row.sources);
      rows.push_back(std::move(row));
    }
    folders = folders_;
    if (folders != nullptr) folders->enter_sources(servers);
    for (size_t index : plan_starts(rows, limit, servers)) {
      Entry& entry = entries_[index];
      int waiting = static_cast<int>(ItemState::Waiting);
      if (!entry.item->state.compare_exchange_strong(waiting, static_cast<int>(ItemState::Transferring))) continue;
      entry.item->status_code = 0;
      entry.item->stop_requested = false;
      entry.run_active = true;
      starting.push_back(entry.item);
    }
  }
  for (const std::shared_ptr<DownloadItem>& item : starting) {
    if (runner_.start(item)) continue;
    item->set_state(ItemState::Stopped);
    std::lock_guard guard(lock_);
    for (Entry& entry : entries_) {
      if (entry.item == item) entry.run_active = false;
    }
  }
  if (folders != nullptr) folders->schedule(limit, servers);
  if (!starting.empty()) tell_changed();
}

bool DownloadManager::auto_retry() {
  if (!host_.retry_allowed() || !runner_.can_connect()) return false;
  {
    std::lock_guard guard(lock_);
    if (closing_) return false;
    auto transferring = [](const Entry& entry) { return entry.item->current_state() == ItemState::Transferring; };
    if (std::any_of(entries_.begin(), entries_.end(), transferring)) return false;
    for (Entry& entry : entries_) {
      ItemState state = entry.item->current_state();
      const bool barred = entry.item->status_code == kStatusWriteFailed || entry.item->retry_barred;
      if ((state == ItemState::Stopped || state == ItemState::Waiting) && !barred) {
        move_state(*entry.item, ItemState::Waiting,
                   {ItemState::Waiting, ItemState::Preparing, ItemState::Transferring, ItemState::Moving, ItemState::Finished});
        entry.resume_after_run = entry.run_active;
      }
    }
  }
  tell_changed();
  schedule();
  return true;
}

int DownloadManager::running_count() const {
  std::lock_guard guard(lock_);
  return static_cast<int>(std::count_if(entries_.begin(), entries_.end(), [](const Entry& entry) { return entry.run_active; }));
}

bool DownloadManager::run_pending(const std::string& hash) const {
  std::lock_guard guard(lock_);
  const Entry* entry = find_locked(hash);
  return entry != nullptr && entry->run_active;
}

int DownloadManager::stop_all_for_exit() {
  std::vector<std::shared_ptr<DownloadItem>> cancelling;
  FolderDownloadQueue* folders = nullptr;
  {
    std::lock_guard guard(lock_);
    closing_ = true;
    folders = folders_;
    for (Entry& entry : entries_) {
      ItemState state = entry.item->current_state();
      if (state != ItemState::Waiting && !is_running_state(state)) continue;
      entry.item->stop_requested = true;
      move_state(*entry.item, ItemState::Stopped, {ItemState::Stopped, ItemState::Moving, ItemState::Finished});
      if (!entry.run_active) continue;
      entry.exit_counted = true;
      cancelling.push_back(entry.item);
    }
    exit_reports_pending_ += static_cast<int>(cancelling.size());
  }
  for (const std::shared_ptr<DownloadItem>& item : cancelling) runner_.cancel(*item);
  int folder_runs = folders != nullptr ? folders->stop_all_for_exit() : 0;
  int pending = 0;
  {
    std::lock_guard guard(lock_);
    exit_reports_pending_ += folder_runs;
    pending = exit_reports_pending_;
  }
  tell_changed();
  return pending;
}

void DownloadManager::exit_run_ended() {
  bool last = false;
  {
    std::lock_guard guard(lock_);
    if (exit_reports_pending_ > 0) last = --exit_reports_pending_ == 0;
  }
  if (last) tell_exit_done();
}

void DownloadManager::shut_down() {
  {
    std::lock_guard guard(lock_);
    if (shut_down_) return;
    shut_down_ = true;
    closing_ = true;
  }
  runner_.stop_all();
  events_.stop();
  std::lock_guard guard(lock_);
  for (Entry& entry : entries_) {
    entry.run_active = false;
    entry.item->stop_requested = true;
    move_state(*entry.item, ItemState::Stopped, {ItemState::Stopped, ItemState::Finished});
  }
  save_order_locked();
}

void DownloadManager::save_order() {
  std::lock_guard guard(lock_);
  save_order_locked();
}

void DownloadManager::save_order_locked() {
  std::lock_guard info_guard(info_.info_lock());
  db::InfoTransaction transaction(info_);
  for (size_t index = 0; index < entries_.size(); ++index) {
    const DownloadItem& item = *entries_[index].item;
    std::string peer_id;
    {
      std::lock_guard item_guard(item.lock);
      peer_id = item.peer_id;
    }
    update_order(info_, item.hash, peer_id, static_cast<int>(index));
  }
}

void DownloadManager::run_ended(const std::shared_ptr<DownloadItem>& item) {
  if (!item) return;
  core::Message message;
  message.id = core::UM_DOWNLOAD_STATUS;
  message.lparam = item->status_code.load();
  message.payload = std::make_unique<RunEndedPayload>(item);
  events_.post(std::move(message));
}

// A run leaves its item stopped, finished, or waiting when it was resumed while
// the run wound down; a run that ended in any other state did not finish its work.
void DownloadManager::handle_run_end(const std::shared_ptr<DownloadItem>& item) {
  bool last_exit_report = false;
  {
    std::lock_guard guard(lock_);
    bool resume = false;
    for (Entry& entry : entries_) {
      if (entry.item != item) continue;
      entry.run_active = false;
      resume = std::exchange(entry.resume_after_run, false) && !closing_;
      if (entry.exit_counted) {
        entry.exit_counted = false;
        if (exit_reports_pending_ > 0) last_exit_report = --exit_reports_pending_ == 0;
      }
    }
    if (resume && item->current_state() == ItemState::Stopped) {
      item->set_state(ItemState::Waiting);
    } else {
      move_state(*item, ItemState::Stopped, {ItemState::Stopped, ItemState::Finished, ItemState::Waiting});
    }
  }
  tell_changed();
  if (last_exit_report) tell_exit_done();
  schedule();
}

void DownloadManager::tell_changed() {
  std::function<void()> listener;
  {
    std::lock_guard guard(listener_lock_);
    listener = change_listener_;
  }
  if (listener) listener();
}

void DownloadManager::tell_exit_done() {
  std::function<void()> listener;
  {
    std::lock_guard guard(listener_lock_);
    listener = exit_listener_;
  }
  if (listener) listener();
}

int64_t DownloadManager::now_ms() const { return static_cast<int64_t>(clock_.performance_counter() / 1000000); }

}  // namespace dovel::download
