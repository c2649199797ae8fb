#pragma once

#include <cstddef>
#include <mutex>

#include "platform/clock.h"
#include "platform/socket.h"
#include "server/search_limits.h"
#include "server/search_recent_table.h"
#include "server/search_token_bucket.h"

namespace dovel::server {

// The result bytes this server may still send: one budget for all destinations
// together and one for each destination address, so that neither forged
// sources nor many responders aimed at one host through it (a relay of the
// service, say) can make it send more than that. Thread-safe.
class SearchReplyBudget {
 public:
  explicit SearchReplyBudget(const platform::Clock& clock, SearchRateLimits limits = {});

  // True when a datagram of `bytes` may go to `destination` now, and counts it
  // against both budgets; false counts nothing.
  bool spend(platform::Ipv4 destination, size_t bytes);
  // True when both budgets still hold the smallest result datagram, so that a
  // query is worth answering at all. Counts nothing.
  bool has_room(platform::Ipv4 destination);

 private:
  TokenBucket& destination_budget(platform::Ipv4 destination, platform::Tick now);

  const platform::Clock& clock_;
  const TokenRate per_destination_;
  std::mutex lock_;
  TokenBucket total_;
  RecentTable<platform::Ipv4, TokenBucket> destinations_;
};

}  // namespace dovel::server
