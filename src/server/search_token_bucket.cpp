#include "server/search_token_bucket.h"

namespace dovel::server {

TokenBucket::TokenBucket(TokenRate rate, platform::Tick now) : rate_(rate), level_(rate.burst * rate.period_ms), updated_(now) {}

bool TokenBucket::take(uint64_t units, platform::Tick now) {
  if (!holds(units, now)) return false;
  level_ -= units * rate_.period_ms;
  return true;
}

bool TokenBucket::holds(uint64_t units, platform::Tick now) {
  refill(now);
  return units <= rate_.burst && units * rate_.period_ms <= level_;
}

void TokenBucket::refill(platform::Tick now) {
  const uint64_t elapsed_ms = platform::ticks_between(updated_, now);
  updated_ = now;
  const uint64_t full = rate_.burst * rate_.period_ms;
  if (rate_.amount == 0 || level_ >= full) return;
  // Compared before multiplying, so that a long pause cannot overflow the level.
  const uint64_t missing = full - level_;
  level_ = elapsed_ms > missing / rate_.amount ? full : level_ + elapsed_ms * rate_.amount;
}

}  // namespace dovel::server
