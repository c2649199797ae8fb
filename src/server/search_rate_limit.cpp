#include "server/search_rate_limit.h"

namespace dovel::server {

SearchRateLimit::SearchRateLimit(const platform::Clock& clock, SearchRateLimits limits)
    : clock_(clock), rate_{limits.per_second, 1000, limits.burst}, sources_(limits.max_sources) {}

QueryAdmission SearchRateLimit::admit(platform::Ipv4 source) {
  std::lock_guard guard(lock_);
  const platform::Tick now = clock_.tick();
  Source& entry = sources_.use(source, [&] { return Source{TokenBucket(rate_, now)}; }).first;
  if (!entry.queries.take(1, now)) return QueryAdmission::Refused;
  const bool asked_before = entry.asked_before;
  entry.asked_before = true;
  return asked_before ? QueryAdmission::Known : QueryAdmission::FirstContact;
}

size_t SearchRateLimit::remembered() {
  std::lock_guard guard(lock_);
  return sources_.size();
}

}  // namespace dovel::server
