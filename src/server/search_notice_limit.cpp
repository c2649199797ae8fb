#include "server/search_notice_limit.h"

namespace dovel::server {

SearchNoticeLimit::SearchNoticeLimit(const platform::Clock& clock, SearchRateLimits limits)
    : clock_(clock), notices_(TokenRate{1, limits.notice_interval_ms, limits.notice_burst}, clock.tick()) {}

bool SearchNoticeLimit::allow() {
  std::lock_guard guard(lock_);
  return notices_.take(1, clock_.tick());
}

}  // namespace dovel::server
