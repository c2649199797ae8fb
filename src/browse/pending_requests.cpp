#include "browse/pending_requests.h"

#include <algorithm>

#include "browse/leading_fields.h"

namespace dovel::browse {

bool PendingRequests::is_file_request(std::string_view request) {
  return !request.empty() && (request.front() == 'H' || request.front() == 'R' || request.front() == 'K');
}

void PendingRequests::sent(std::string_view request) {
  std::lock_guard guard(lock_);
  pending_.emplace_back(request);
  while (pending_.size() > kMaxPending) pending_.pop_front();
}

void PendingRequests::withdraw(std::string_view request) {
  std::lock_guard guard(lock_);
  auto found = std::find(pending_.rbegin(), pending_.rend(), request);
  if (found != pending_.rend()) pending_.erase(std::next(found).base());
}

bool PendingRequests::take_answer(char letter, std::string_view body) {
  const std::vector<std::string_view> fields = leading_fields(body, '|', 3);
  if (fields.size() < 3) return false;
  std::string request(1, letter);
  request.append(fields[1]).append("|").append(fields[2]);
  std::lock_guard guard(lock_);
  auto found = std::find(pending_.begin(), pending_.end(), request);
  if (found == pending_.end()) return false;
  pending_.erase(found);
  return true;
}

size_t PendingRequests::size() const {
  std::lock_guard guard(lock_);
  return pending_.size();
}

}  // namespace dovel::browse
