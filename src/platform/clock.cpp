#include "platform/clock.h"

#include <ctime>

namespace dovel::platform {
namespace {

uint64_t monotonic_nanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1'000'000'000ull + static_cast<uint64_t>(now.tv_nsec);
}

}  // namespace

Tick SystemClock::tick() const { return static_cast<Tick>(monotonic_nanoseconds() / 1'000'000ull); }

uint64_t SystemClock::performance_counter() const { return monotonic_nanoseconds(); }

LocalDateTime SystemClock::local_now() const {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  localtime_r(&now, &parts);
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
}

int64_t SystemClock::unix_seconds() const { return static_cast<int64_t>(std::time(nullptr)); }

const Clock& system_clock() {
  static const SystemClock clock;
  return clock;
}

}  // namespace dovel::platform
