#include "server/search_rate_limit.h"

#include <algorithm>

namespace dovel::server {
namespace {

constexpr uint64_t kQuery = 1000;

}  // namespace

SearchRateLimit::SearchRateLimit(const platform::Clock& clock, SearchRateLimits limits) : clock_(clock), limits_(limits) {}

uint64_t SearchRateLimit::refilled(const Bucket& bucket, platform::Tick now) const {
  const uint64_t elapsed_ms = platform::ticks_between(bucket.updated, now);
  return std::min<uint64_t>(bucket.tokens + elapsed_ms * limits_.per_second, uint64_t{limits_.burst} * kQuery);
}

// A source whose bucket has filled up again is the same as one never seen, so
// those go first; when every bucket is in use the one idle longest goes.
void SearchRateLimit::make_room(platform::Tick now) {
  const uint64_t full = uint64_t{limits_.burst} * kQuery;
  std::erase_if(buckets_, [&](const auto& entry) { return refilled(entry.second, now) >= full; });
  if (buckets_.size() < limits_.max_sources || buckets_.empty()) return;
  auto idle = std::max_element(buckets_.begin(), buckets_.end(), [&](const auto& a, const auto& b) {
    return platform::ticks_between(a.second.updated, now) < platform::ticks_between(b.second.updated, now);
  });
  buckets_.erase(idle);
}

bool SearchRateLimit::allow(platform::Ipv4 source) {
  std::lock_guard guard(lock_);
  const platform::Tick now = clock_.tick();
  auto found = buckets_.find(source);
  if (found == buckets_.end()) {
    if (buckets_.size() >= limits_.max_sources) make_room(now);
    found = buckets_.emplace(source, Bucket{uint64_t{limits_.burst} * kQuery, now}).first;
  }
  Bucket& bucket = found->second;
  bucket.tokens = refilled(bucket, now);
  bucket.updated = now;
  if (bucket.tokens < kQuery) return false;
  bucket.tokens -= kQuery;
  return true;
}

}  // namespace dovel::server
