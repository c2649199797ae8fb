#pragma once

#include <cstdint>

namespace dovel::platform {

// Milliseconds of the monotonic clock as a wrapping 32-bit value; differences
// between two ticks are taken modulo 2^32, as the peers expect of a tick count.
using Tick = uint32_t;

struct LocalDateTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Everything that reads the time goes through a Clock so that tests can set it.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual Tick tick() const = 0;
  // A high-resolution counter (nanoseconds of the monotonic clock).
  virtual uint64_t performance_counter() const = 0;
  virtual LocalDateTime local_now() const = 0;
  // Seconds since 1970 (UTC).
  virtual int64_t unix_seconds() const = 0;
};

class SystemClock final : public Clock {
 public:
  Tick tick() const override;
  uint64_t performance_counter() const override;
  LocalDateTime local_now() const override;
  int64_t unix_seconds() const override;
};

const Clock& system_clock();

// Milliseconds elapsed from `earlier` to `later`, modulo 2^32.
constexpr Tick ticks_between(Tick earlier, Tick later) { return later - earlier; }

}  // namespace dovel::platform
