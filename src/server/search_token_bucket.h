#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace dovel::server {

// `amount` units every `period_ms`, with at most `burst` units saved up.
struct TokenRate {
  uint64_t amount = 0;
  uint32_t period_ms = 1000;
  uint64_t burst = 0;
};

// Units that may still be spent, refilled as the clock moves at its rate. It
// starts full. Not thread-safe: its owner locks.
class TokenBucket {
 public:
  TokenBucket(TokenRate rate, platform::Tick now);

  // True when `units` are there at `now`, and spends them; false spends nothing.
  bool take(uint64_t units, platform::Tick now);
  // True when `units` are there at `now`; spends nothing.
  bool holds(uint64_t units, platform::Tick now);

 private:
  void refill(platform::Tick now);

  TokenRate rate_;
  // In units times period_ms, so that a slow rate still refills by whole steps.
  uint64_t level_;
  platform::Tick updated_;
};

}  // namespace dovel::server
