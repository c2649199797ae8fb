#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "platform/clock.h"
#include "platform/socket.h"

namespace dovel::server {

// How many queries one source address may have answered: `burst` at once, then
// `per_second`. At most `max_sources` addresses are remembered.
struct SearchRateLimits {
  uint32_t burst = 10;
  uint32_t per_second = 4;
  size_t max_sources = 4096;
};

// A token bucket per source address, so that one sender cannot make this
// server read its table and send answers without pause. Thread-safe.
class SearchRateLimit {
 public:
  explicit SearchRateLimit(const platform::Clock& clock, SearchRateLimits limits = {});

  // True when a query from `source` may be answered now (and counts it).
  bool allow(platform::Ipv4 source);

 private:
  struct Bucket {
    uint64_t tokens = 0;  // thousandths of a query
    platform::Tick updated = 0;
  };

  uint64_t refilled(const Bucket& bucket, platform::Tick now) const;
  void make_room(platform::Tick now);

  const platform::Clock& clock_;
  const SearchRateLimits limits_;
  std::mutex lock_;
  std::unordered_map<platform::Ipv4, Bucket> buckets_;
};

}  // namespace dovel::server
