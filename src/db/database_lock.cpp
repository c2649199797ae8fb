#include "db/database_lock.h"

#include <chrono>
#include <thread>

namespace dovel::db {

std::recursive_mutex& database_lock() {
  static std::recursive_mutex lock;
  return lock;
}

std::unique_lock<std::recursive_mutex> lock_database_unless(const GiveUp& give_up) {
  // Other holders keep the lock for one statement or one small transaction:
  // a short pause between tries costs little.
  constexpr auto kPause = std::chrono::milliseconds(1);
  std::unique_lock lock(database_lock(), std::defer_lock);
  while (!give_up()) {
    if (lock.try_lock()) return lock;
    std::this_thread::sleep_for(kPause);
  }
  return lock;
}

}  // namespace dovel::db
