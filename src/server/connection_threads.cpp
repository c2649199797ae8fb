#include "server/connection_threads.h"

#include <chrono>
#include <system_error>
#include <vector>

namespace dovel::server {

// Joins without a limit: a thread must never outlive what it uses.
ConnectionThreads::~ConnectionThreads() {
  std::map<uint64_t, Entry> all;
  {
    std::lock_guard guard(lock_);
    all.swap(threads_);
  }
  for (auto& [id, entry] : all) entry.thread.join();
}

bool ConnectionThreads::start(uint64_t id, std::function<void()> body) {
  std::lock_guard guard(lock_);
  try {
    // The thread marks itself under the lock, which it can take only once its entry is listed.
    threads_[id].thread = make_thread_([this, id, body = std::move(body)] {
      body();
      mark_finished(id);
    });
  } catch (const std::system_error&) {
    threads_.erase(id);
    return false;
  }
  return true;
}

void ConnectionThreads::mark_finished(uint64_t id) {
  {
    std::lock_guard guard(lock_);
    if (auto entry = threads_.find(id); entry != threads_.end()) entry->second.finished = true;
  }
  ended_.notify_all();
}

void ConnectionThreads::collect_finished() {
  std::vector<std::thread> done;
  {
    std::lock_guard guard(lock_);
    for (auto entry = threads_.begin(); entry != threads_.end();) {
      if (entry->second.finished) {
        done.push_back(std::move(entry->second.thread));
        entry = threads_.erase(entry);
      } else {
        ++entry;
      }
    }
  }
  for (std::thread& thread : done) thread.join();
}

size_t ConnectionThreads::join_all() {
  std::vector<uint64_t> ids;
  {
    std::lock_guard guard(lock_);
    for (const auto& [id, entry] : threads_) ids.push_back(id);
  }
  // Every thread was told to end at the same moment: each gets the join time from then, not one after another.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(join_ms_);
  size_t still_running = 0;
  for (uint64_t id : ids) {
    std::thread ended;
    {
      std::unique_lock guard(lock_);
      const bool finished = ended_.wait_until(guard, deadline, [&] {
        auto entry = threads_.find(id);
        return entry == threads_.end() || entry->second.finished;
      });
      auto entry = threads_.find(id);
      if (!finished) {
        ++still_running;
        continue;
      }
      if (entry == threads_.end()) continue;
      ended = std::move(entry->second.thread);
      threads_.erase(entry);
    }
    ended.join();
  }
  return still_running;
}

size_t ConnectionThreads::size() const {
  std::lock_guard guard(lock_);
  return threads_.size();
}

}  // namespace dovel::server
