// The thread plumbing of the hub: workers with their own queues, and the throttle's step.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "mainframe/transfer_meter.h"
#include "mainframe/worker_thread.h"

namespace dovel::mainframe {
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
    for (int i = 0; i < 2000 && count < 100; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
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

TEST(Throttle, DelayFollowsSpeedAgainstTheLimit) {
  const struct {
    double delay, speed, limit;
    int running;
    double expected;
  } cases[] = {
      {0, 2000, 1000, 1, 2},       // too fast: grows by S / L / N
      {10, 4000, 1000, 2, 12},
      {1999, 1e9, 1, 1, 2000},     // never above 2000
      {10, 500, 1000, 1, 8},       // slow enough: shrinks by L / S / N
      {1, 100, 1000, 1, 0},        // never below 0
      {5, 0.5, 1000, 1, 5},        // no measurable speed: unchanged
      {5, 5000, 1000, 0, 5},       // nothing running: skipped
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(next_throttle_delay(c.delay, c.speed, c.limit, c.running), c.expected) << c.delay << " " << c.speed;
  }
}

}  // namespace
}  // namespace dovel::mainframe
