#pragma once

#include "platform/clock.h"

namespace dovel::test {

// A clock the test sets by hand.
class FakeClock final : public platform::Clock {
 public:
  platform::Tick tick() const override { return tick_; }
  uint64_t performance_counter() const override { return counter_; }
  platform::LocalDateTime local_now() const override { return now_; }
  int64_t unix_seconds() const override { return unix_seconds_; }

  void set_tick(platform::Tick tick) { tick_ = tick; }
  void advance_ms(platform::Tick milliseconds) { tick_ += milliseconds; }
  void set_local_now(const platform::LocalDateTime& now) { now_ = now; }
  void set_performance_counter(uint64_t counter) { counter_ = counter; }

 private:
  platform::Tick tick_ = 0;
  uint64_t counter_ = 0;
  platform::LocalDateTime now_;
  int64_t unix_seconds_ = 0;
};

}  // namespace dovel::test
