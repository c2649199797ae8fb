#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/clock.h"
#include "support/eventually.h"

namespace dovel::test {

// A clock the test sets by hand. The code under test may read it on threads of
// its own while the test moves it. advance_ms moves the tick and the
// performance counter (nanoseconds) by the same time, as the one monotonic
// source behind both does; set_tick and set_performance_counter set one alone.
// With a step, every reading of either moves both on by the step after it is
// taken: time that passes while the code looks at the clock.
class FakeClock final : public platform::Clock {
 public:
  FakeClock() = default;
  explicit FakeClock(platform::Tick start) : tick_(start) {}

  platform::Tick tick() const override {
    const platform::Tick step = note_reading();
    counter_ += nanoseconds(step);
    return tick_.fetch_add(step);
  }
  uint64_t performance_counter() const override {
    const platform::Tick step = note_reading();
    tick_ += step;
    return counter_.fetch_add(nanoseconds(step));
  }
  platform::LocalDateTime local_now() const override {
    std::lock_guard guard(now_lock_);
    return now_;
  }
  int64_t unix_seconds() const override { return 0; }

  void set_tick(platform::Tick tick) { tick_ = tick; }
  void set_performance_counter(uint64_t counter) { counter_ = counter; }
  void advance_ms(platform::Tick milliseconds) {
    counter_ += nanoseconds(milliseconds);
    tick_ += milliseconds;
  }
  void set_step(platform::Tick milliseconds) { step_ = milliseconds; }
  void set_local_now(const platform::LocalDateTime& now) {
    std::lock_guard guard(now_lock_);
    now_ = now;
  }

  // Waits until the tick or the counter has been read `times` more times: a
  // test that moved the clock knows then that a loop which reads it in turns
  // has looked at the new time. False when that did not happen in time.
  bool read_again(uint64_t times) const {
    const uint64_t seen = readings_;
    return eventually([&] { return readings_ >= seen + times; });
  }

 private:
  static uint64_t nanoseconds(platform::Tick milliseconds) { return uint64_t{milliseconds} * 1'000'000; }
  // Counted before the time is read, so that a count seen after a move
  // belongs to a reading that sees the move.
  platform::Tick note_reading() const {
    ++readings_;
    return step_;
  }

  mutable std::atomic<platform::Tick> tick_{0};
  mutable std::atomic<uint64_t> counter_{0};
  std::atomic<platform::Tick> step_{0};
  mutable std::atomic<uint64_t> readings_{0};
  mutable std::mutex now_lock_;
  platform::LocalDateTime now_;
};

}  // namespace dovel::test
