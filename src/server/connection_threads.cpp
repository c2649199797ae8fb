#include "server/connection_threads.h"

#include <vector>

namespace dovel::server {

ConnectionThreads::~ConnectionThreads() { join_all(); }

void ConnectionThreads::start(uint64_t id, std::function<void()> body) {
  auto finished = std::make_shared<std::atomic<bool>>(false);
  std::thread thread([body = std::move(body), finished] {
    body();
    *finished = true;
  });
  std::lock_guard guard(lock_);
  threads_[id] = Entry{std::move(thread), std::move(finished)};
}

void ConnectionThreads::collect_finished() {
  std::vector<std::thread> done;
  {
    std::lock_guard guard(lock_);
    for (auto entry = threads_.begin(); entry != threads_.end();) {
      if (*entry->second.finished) {
        done.push_back(std::move(entry->second.thread));
        entry = threads_.erase(entry);
      } else {
        ++entry;
      }
    }
  }
  for (std::thread& thread : done) thread.join();
}

void ConnectionThreads::join_all() {
  std::map<uint64_t, Entry> all;
  {
    std::lock_guard guard(lock_);
    all.swap(threads_);
  }
  for (auto& [id, entry] : all) entry.thread.join();
}

size_t ConnectionThreads::size() const {
  std::lock_guard guard(lock_);
  return threads_.size();
}

}  // namespace dovel::server
