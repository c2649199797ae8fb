#include "browse/address_history.h"

#include <algorithm>

#include "base/text.h"

namespace dovel::browse {

void AddressHistory::add(std::string_view user_id) {
  if (user_id.empty() || user_id == kClearHistoryEntry) return;
  std::lock_guard guard(lock_);
  std::erase_if(ids_, [user_id](const std::string& id) { return base::iequals_ascii(id, user_id); });
  ids_.insert(ids_.begin(), std::string(user_id));
  if (ids_.size() > kMaxHistoryIds) ids_.resize(kMaxHistoryIds);
}

void AddressHistory::clear() {
  std::lock_guard guard(lock_);
  ids_.clear();
}

std::vector<std::string> AddressHistory::ids() const {
  std::lock_guard guard(lock_);
  return ids_;
}

std::vector<std::string> AddressHistory::entries() const {
  std::vector<std::string> shown = ids();
  shown.emplace_back(kClearHistoryEntry);
  return shown;
}

std::string AddressHistory::stored_text() const { return base::join(ids(), std::string_view(&kHistorySeparator, 1)); }

void AddressHistory::load_text(std::string_view text) {
  std::vector<std::string> loaded;
  for (std::string& id : base::split(text, kHistorySeparator)) {
    if (id.empty() || id == kClearHistoryEntry) continue;
    if (std::any_of(loaded.begin(), loaded.end(), [&id](const std::string& seen) { return base::iequals_ascii(seen, id); })) continue;
    loaded.push_back(std::move(id));
    if (loaded.size() == kMaxHistoryIds) break;
  }
  std::lock_guard guard(lock_);
  ids_ = std::move(loaded);
}

}  // namespace dovel::browse
