// The threads of the share server's connections: bounded joins, failed starts.
#include "server/connection_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <system_error>

#include "support/eventually.h"

namespace dovel::server {
namespace {

using test::eventually;

TEST(ConnectionThreadsTest, StoppingWaitsABoundedTimeAndCollectsLateThreadsOnceTheyEnd) {
  ConnectionThreads threads(100);
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> ended{0};
  ASSERT_TRUE(threads.start(1, [&] { ++ended; }));
  ASSERT_TRUE(threads.start(2, [&] {
    released.wait();
    ++ended;
  }));
  EXPECT_EQ(threads.join_all(), 1u) << "the stuck thread is reported, not waited for";
  EXPECT_EQ(threads.size(), 1u) << "and stays listed";
  release.set_value();
  EXPECT_TRUE(eventually([&] {
    threads.collect_finished();
    return threads.size() == 0;
  }));
  EXPECT_EQ(ended, 2);
}

TEST(ConnectionThreadsTest, AThreadTheSystemCannotMakeIsReportedAndItsWorkDropped) {
  ConnectionThreads threads(kConnectionThreadJoinMs, [](std::function<void()>) -> std::thread {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  });
  auto held = std::make_shared<int>(0);
  std::weak_ptr<int> watch = held;
  EXPECT_FALSE(threads.start(7, [held = std::move(held)] { ++*held; }));
  EXPECT_TRUE(watch.expired()) << "what the work held (the accepted socket) is let go at once";
  EXPECT_EQ(threads.size(), 0u);
  EXPECT_EQ(threads.join_all(), 0u);
}

}  // namespace
}  // namespace dovel::server
