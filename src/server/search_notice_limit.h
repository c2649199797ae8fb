#pragma once

#include <mutex>

#include "platform/clock.h"
#include "server/search_limits.h"
#include "server/search_token_bucket.h"

namespace dovel::server {

// How often the service's list-change notices are acted on, both kinds
// together: a forged flood of them would otherwise keep a worker busy with
// round trips to the service. Thread-safe.
class SearchNoticeLimit {
 public:
  explicit SearchNoticeLimit(const platform::Clock& clock, SearchRateLimits limits = {});

  // True when one more notice may be acted on now (and counts it).
  bool allow();

 private:
  const platform::Clock& clock_;
  std::mutex lock_;
  TokenBucket notices_;
};

}  // namespace dovel::server
