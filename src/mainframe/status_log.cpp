#include "mainframe/status_log.h"

#include <algorithm>

namespace dovel::mainframe {

void StatusLog::append(std::string line) {
  std::lock_guard guard(lock_);
  lines_.push_back(std::move(line));
  while (lines_.size() > capacity_) {
    lines_.pop_front();
    ++dropped_;
  }
}

StatusLog::Lines StatusLog::since(uint64_t position) const {
  std::lock_guard guard(lock_);
  Lines result;
  result.next = dropped_ + lines_.size();
  result.first = std::clamp(position, dropped_, result.next);
  for (uint64_t number = result.first; number < result.next; ++number) result.lines.push_back(lines_[number - dropped_]);
  return result;
}

}  // namespace dovel::mainframe
