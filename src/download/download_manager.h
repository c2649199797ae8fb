#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/worker_thread.h"
#include "db/info_database.h"
#include "download/add_request.h"
#include "download/download_item.h"
#include "download/download_texts.h"
#include "download/folder_download_queue.h"
#include "download/queue_host.h"
#include "download/queue_restore.h"
#include "download/transfer_runner.h"
#include "platform/clock.h"

namespace dovel::download {

// One row of the download list: the item at one moment and its texts.
struct ListRow {
  ItemSnapshot item;
  ItemTexts texts;
};

// The download queue: one DownloadItem per queued file in list order (the
// queue order), which items run, the automatic retry, the queue's rows in the
// info database, and the restore at start. Items are named by their FileHash
// (compared without regard to case).
//
// Every method can be called from any thread. The manager's lock guards the
// list; it is never held while the runner or the listeners are called. Lock
// order: manager lock, then an item lock or the info-database lock.
// Runs report their end through run_ended(), which hands the news to the
// manager's own event thread; that thread updates the list, tells the
// listener and schedules again.
class DownloadManager {
 public:
  // The most files the list holds: a peer that offers file after file must not
  // grow the list and the info database without end.
  static constexpr size_t kMaxItems = 5000;

  // `clock` gives the steady milliseconds of the speeds (performance_counter in
  // ms), the clock the runs use for run_start_ms and sample_ms. The runner must
  // outlive the manager.
  // `max_items`: how many files the list holds (kMaxItems in the program).
  DownloadManager(db::InfoDatabase& info, TransferRunner& runner, QueueHost& host, const platform::Clock& clock,
                  size_t max_items = kMaxItems);
  ~DownloadManager();
  DownloadManager(const DownloadManager&) = delete;
  DownloadManager& operator=(const DownloadManager&) = delete;

  // The folder-download list, scheduled and stopped with this one (none until it exists).
  void set_folder_queue(FolderDownloadQueue* folders);
  // Called after anything in the list changed, from whichever thread changed it.
  void set_change_listener(std::function<void()> listener);
  // Called once when the last run stopped by stop_all_for_exit() has reported its end.
  void set_exit_listener(std::function<void()> listener);

  // Queues a file, or queues a stopped one again with the request's sources
  // first. True when it was queued or re-queued; every refusal is a system message.
  bool add(const AddRequest& request);
  // Whether a file of that FileHash is in the list (in whatever state).
  bool contains(const std::string& hash) const;
  // Restores the queue the info database holds (at start, before anything is
  // added) and sweeps the temporary folder; what it found is also returned.
  RestoredQueue restore();
  // A stopped or waiting item waits again, also one stopped for good: the user asked.
  bool resume(const std::string& hash);
  // Stops an item (refused while it prepares, nothing for a finished one).
  bool stop(const std::string& hash);
  // Deletes a stopped or finished item with its rows and its temporary file;
  // a finished file in the download folder stays.
  bool remove(const std::string& hash);
  // Removes every finished item from the list; how many.
  int remove_finished();
  // Moves the items as one block a row up or down and saves the order.
  bool move(const std::vector<std::string>& hashes, bool up);
  // "dovel://file/NAME:HASH:SIZE".
  std::optional<std::string> copy_link(const std::string& hash) const;
  std::vector<ListRow> snapshot();

  // Starts the waiting items the limit and the busy servers allow.
  void schedule();
  // The minute timer's retry: when allowed and nothing transfers, every stopped
  // or waiting item (except a failed write, code 14, and an item stopped for
  // good) waits again. True when it ran.
  bool auto_retry();
  // Items with a run that has not reported its end.
  int running_count() const;
  // Whether the item has such a run.
  bool run_pending(const std::string& hash) const;

  // Stops every item of both lists in a state up to 2 and refuses new work.
  // Returns how many runs will still report their end; when that is above 0 the
  // exit listener is called after the last of them (the caller waits 5 s at most).
  int stop_all_for_exit();
  // A folder-download run stopped for the exit has ended.
  void exit_run_ended();
  // Cancels and joins every run (the runner's stop_all), leaves every unfinished
  // item stopped and saves the order. The destructor does it too.
  void shut_down();
  // Writes the list order and peer IDs to the queue's rows.
  void save_order();

  // Called by the runner from the run's thread when the run of `item` has ended
  // (its final state and status code set); returns at once.
  void run_ended(const std::shared_ptr<DownloadItem>& item);

 private:
  struct Entry {
    std::shared_ptr<DownloadItem> item;
    bool run_active = false;    // started, and its end not yet handled
    bool exit_counted = false;  // stop_all_for_exit() waits for its end
    // Resumed while its stopped run still winds down: the run's own end would
    // leave it stopped, so it waits again once that end is handled.
    bool resume_after_run = false;
    int64_t current_speed = -1;
  };

  // Under the manager lock.
  Entry* find_locked(const std::string& hash);
  const Entry* find_locked(const std::string& hash) const;
  bool has_unfinished_name_locked(const std::string& file_name) const;
  std::shared_ptr<DownloadItem> create_item_locked(const AddRequest& request, const std::string& download_folder);
  bool requeue_locked(Entry& entry, const AddRequest& request);
  void save_order_locked();
  bool remove_locked(size_t index);

  bool check_ready_for_work();
  void handle_run_end(const std::shared_ptr<DownloadItem>& item);
  void tell_changed();
  void tell_exit_done();
  int64_t now_ms() const;

  db::InfoDatabase& info_;
  TransferRunner& runner_;
  QueueHost& host_;
  const platform::Clock& clock_;
  const size_t max_items_;

  mutable std::mutex lock_;  // the manager lock
  std::vector<Entry> entries_;
  FolderDownloadQueue* folders_ = nullptr;
  bool closing_ = false;
  bool shut_down_ = false;
  int exit_reports_pending_ = 0;

  std::mutex listener_lock_;
  std::function<void()> change_listener_;
  std::function<void()> exit_listener_;

  core::WorkerThread events_;  // last: its thread starts once everything else exists
};

}  // namespace dovel::download
