#pragma once

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

#include "db/database_lock.h"

namespace dovel::test {

// Holds the database lock on a thread of its own, as a hashing run's walk
// does, until released (at the latest after half a minute, so that a test of
// code that waits for it fails instead of hanging).
class HeldDatabase {
 public:
  HeldDatabase()
      : thread_([this] {
          std::lock_guard guard(db::database_lock());
          held_.set_value();
          released_.wait_for(std::chrono::seconds(30));
        }) {
    held_.get_future().wait();
  }
  ~HeldDatabase() {
    release();
    thread_.join();
  }
  HeldDatabase(const HeldDatabase&) = delete;
  HeldDatabase& operator=(const HeldDatabase&) = delete;

  void release() {
    if (!done_.exchange(true)) release_.set_value();
  }

 private:
  std::promise<void> held_;
  std::promise<void> release_;
  std::shared_future<void> released_ = release_.get_future().share();
  std::atomic<bool> done_{false};
  std::thread thread_;
};

}  // namespace dovel::test
