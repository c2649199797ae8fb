#pragma once

#include <mutex>

#include "platform/clock.h"
#include "platform/socket.h"
#include "server/search_limits.h"
#include "server/search_recent_table.h"
#include "server/search_token_bucket.h"

namespace dovel::server {

// How a query from one source address is taken.
enum class QueryAdmission {
  Refused,       // the source has used up its share for now
  FirstContact,  // not heard from before (or forgotten since): a short answer
  Known,         // asked before: the full answer
};

// A token bucket per source address, so that one sender cannot make this
// server read its table and send answers without pause, and a memory of which
// sources have asked before. Thread-safe.
class SearchRateLimit {
 public:
  explicit SearchRateLimit(const platform::Clock& clock, SearchRateLimits limits = {});

  // Counts a query from `source` and says how it is taken.
  QueryAdmission admit(platform::Ipv4 source);
  // Source addresses remembered now.
  size_t remembered();

 private:
  struct Source {
    TokenBucket queries;
    bool asked_before = false;
  };

  const platform::Clock& clock_;
  const TokenRate rate_;
  std::mutex lock_;
  RecentTable<platform::Ipv4, Source> sources_;
};

}  // namespace dovel::server
