#include "server/search_reply_budget.h"

#include "wire/search_datagram.h"

namespace dovel::server {

SearchReplyBudget::SearchReplyBudget(const platform::Clock& clock, SearchRateLimits limits)
    : clock_(clock),
      per_destination_{limits.destination_bytes_per_second, 1000, limits.destination_bytes_per_second},
      total_(TokenRate{limits.reply_bytes_per_second, 1000, limits.reply_bytes_per_second}, clock.tick()),
      destinations_(limits.max_destinations) {}

TokenBucket& SearchReplyBudget::destination_budget(platform::Ipv4 destination, platform::Tick now) {
  return destinations_.use(destination, [&] { return TokenBucket(per_destination_, now); }).first;
}

bool SearchReplyBudget::spend(platform::Ipv4 destination, size_t bytes) {
  std::lock_guard guard(lock_);
  const platform::Tick now = clock_.tick();
  if (!total_.holds(bytes, now)) return false;
  if (!destination_budget(destination, now).take(bytes, now)) return false;
  return total_.take(bytes, now);
}

bool SearchReplyBudget::has_room(platform::Ipv4 destination) {
  std::lock_guard guard(lock_);
  const platform::Tick now = clock_.tick();
  if (!total_.holds(wire::kResultHeaderSize, now)) return false;
  // A destination not seen yet has its whole budget; looking must not push another out.
  if (!destinations_.contains(destination)) return true;
  return destination_budget(destination, now).holds(wire::kResultHeaderSize, now);
}

}  // namespace dovel::server
