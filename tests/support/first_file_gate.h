#pragma once

#include <atomic>
#include <functional>
#include <future>

namespace dovel::test {

// Holds a run at its first file: the test waits until the run got there, does
// what it must while the run is active, then lets it go on.
class FirstFileGate {
 public:
  // For HashRunContext::after_each_file; blocks only the first call, and only while
  // `hold` is set.
  std::function<void()> callback(bool hold = true) {
    return [this, hold] {
      if (called_.exchange(true)) return;
      entered_.set_value();
      if (hold) released_.wait();
    };
  }
  void wait_until_entered() { entered_future_.wait(); }
  void release() { release_.set_value(); }

 private:
  std::atomic<bool> called_{false};
  std::promise<void> entered_;
  std::future<void> entered_future_ = entered_.get_future();
  std::promise<void> release_;
  std::shared_future<void> released_ = release_.get_future().share();
};

}  // namespace dovel::test
