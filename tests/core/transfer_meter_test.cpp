// The throttle's step.
#include <gtest/gtest.h>

#include "core/transfer_meter.h"

namespace dovel::core {
namespace {

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
}  // namespace dovel::core
