#include "download/download_run.h"

#include <algorithm>
#include <system_error>

#include "download/charge_rule.h"
#include "download/item_run.h"
#include "download/received_ranges.h"

namespace dovel::download {
DownloadRun::DownloadRun(TransferContext context, RunEnded run_ended)
    : context_(std::move(context)), run_ended_(std::move(run_ended)), lookups_(context_.timings.source_lookup_ms) {}

DownloadRun::~DownloadRun() { stop_all(); }

bool DownloadRun::can_connect() const { return context_.connect_worker != nullptr; }

std::vector<std::unique_ptr<DownloadRun::Run>> DownloadRun::take_ended_locked() {
  std::vector<std::unique_ptr<Run>> ended;
  for (auto it = runs_.begin(); it != runs_.end();) {
    if (it->second->ended) {
      ended.push_back(std::move(it->second));
      it = runs_.erase(it);
    } else {
      ++it;
    }
  }
  return ended;
}

bool DownloadRun::start(const std::shared_ptr<DownloadItem>& item) {
  if (!item) return false;
  std::vector<std::unique_ptr<Run>> finished;
  bool still_running = false;
  {
    std::lock_guard guard(lock_);
    finished = take_ended_locked();
    auto previous = runs_.find(item.get());
    if (previous != runs_.end()) {
      // A run of the item that is only reporting its end is waited for; one
      // that still transfers (or the caller is that run) keeps the item.
      const Run& run = *previous->second;
      still_running = !run.work_done || run.thread.get_id() == std::this_thread::get_id();
      if (!still_running) {
        finished.push_back(std::move(previous->second));
        runs_.erase(previous);
      }
    }
  }
  for (auto& run : finished) run->thread.join();
  if (still_running) return false;
  return launch(item);
}

bool DownloadRun::launch(const std::shared_ptr<DownloadItem>& item) {
  std::lock_guard guard(lock_);
  if (stopping_ || runs_.count(item.get()) != 0) return false;
  auto run = std::make_unique<Run>();
  run->item = item;
  run->run_signals = std::make_shared<RunSignals>();
  if (!run->run_signals->valid()) {
    item->set_state(ItemState::Stopped);
    return false;
  }
  item->status_code = 0;
  item->stop_requested = false;
  item->set_state(ItemState::Transferring);
  Run& started = *run;
  try {
    run->thread = std::thread([this, &started] { body(started); });
  } catch (const std::system_error&) {
    item->set_state(ItemState::Stopped);
    return false;
  }
  runs_[item.get()] = std::move(run);
  return true;
}

void DownloadRun::body(Run& run) {
  RunShared shared{&lookups_, [this] { return chargeable_megabytes(); }};
  ItemRun(context_, run.item, run.run_signals, std::move(shared)).run();
  run.run_signals->close();
  run.work_done = true;
  if (run_ended_) run_ended_(run.item);
  run.ended = true;
}

void DownloadRun::cancel(DownloadItem& item) {
  item.stop_requested = true;
  std::lock_guard guard(lock_);
  auto found = runs_.find(&item);
  if (found != runs_.end()) found->second->run_signals->wake();
}

void DownloadRun::stop_all() {
  std::vector<std::unique_ptr<Run>> runs;
  {
    std::lock_guard guard(lock_);
    stopping_ = true;
    for (auto it = runs_.begin(); it != runs_.end();) {
      Run& run = *it->second;
      run.item->stop_requested = true;
      run.run_signals->wake();
      // A run cannot wait for itself (stop_all from its end callback); it is joined later.
      if (run.thread.get_id() == std::this_thread::get_id()) {
        ++it;
        continue;
      }
      runs.push_back(std::move(it->second));
      it = runs_.erase(it);
    }
  }
  for (auto& run : runs) run->thread.join();
  std::lock_guard guard(lock_);
  stopping_ = false;
}

int DownloadRun::running_count() const {
  std::lock_guard guard(lock_);
  int running = 0;
  for (const auto& [item, run] : runs_) running += run->work_done ? 0 : 1;
  return running;
}

int64_t DownloadRun::chargeable_megabytes() const {
  int64_t megabytes = context_.hooks.chargeable_megabytes_elsewhere ? context_.hooks.chargeable_megabytes_elsewhere() : 0;
  std::vector<std::shared_ptr<DownloadItem>> running;
  {
    std::lock_guard guard(lock_);
    for (const auto& [key, run] : runs_) {
      if (!run->work_done) running.push_back(run->item);
    }
  }
  for (const auto& item : running) {
    std::lock_guard guard(item->lock);
    megabytes += std::max<int64_t>(0, (item->size - item->received) / kMiB - kFreeMegabytes);
  }
  return megabytes;
}

}  // namespace dovel::download
