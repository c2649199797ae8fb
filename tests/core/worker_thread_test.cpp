// Workers with their own queues.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "core/worker_thread.h"

#include "support/eventually.h"

namespace dovel::core {
namespace {

TEST(WorkerThread, HandlesMessagesInOrderOnItsOwnThread) {
  std::mutex lock;
  std::vector<uint64_t> seen;
  std::thread::id worker_id;
  std::atomic<int> count{0};
  {
    WorkerThread worker([&](Message& message) {
      std::lock_guard guard(lock);
      seen.push_back(message.wparam);
      worker_id = std::this_thread::get_id();
      ++count;
    });
    for (uint64_t i = 0; i < 100; ++i) worker.post({1, i, 0, nullptr});
    EXPECT_TRUE(test::eventually([&] { return count == 100; }));
  }
  ASSERT_EQ(seen.size(), 100u);
  for (uint64_t i = 0; i < 100; ++i) EXPECT_EQ(seen[i], i);
  EXPECT_NE(worker_id, std::this_thread::get_id());
}

TEST(WorkerThread, StopDropsWhatIsQueuedAndRefusesMore) {
  std::atomic<int> handled{0};
  WorkerThread worker([&](Message&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ++handled;
  });
  for (int i = 0; i < 1000; ++i) worker.post({1, 0, 0, nullptr});
  worker.stop();
  const int when_stopped = handled;
  EXPECT_LT(when_stopped, 1000) << "what was still queued is dropped";
  worker.post({1, 0, 0, nullptr});
  EXPECT_EQ(handled, when_stopped) << "nothing is taken after stopping";
}

}  // namespace
}  // namespace dovel::core
