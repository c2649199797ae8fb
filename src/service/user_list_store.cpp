#include "service/user_list_store.h"

#include "base/text.h"

namespace dovel::service {

bool UserListStore::contains(std::string_view user_id) const {
  if (user_id.empty()) return false;
  std::lock_guard guard(lock_);
  return entries_.count(base::ascii_lower(user_id)) > 0;
}

void UserListStore::set_entries(const std::map<std::string, std::string>& entries) {
  std::lock_guard guard(lock_);
  entries_.clear();
  spelled_.clear();
  for (const auto& [id, value] : entries) {
    std::string key = base::ascii_lower(id);
    entries_[key] = value;
    spelled_[key] = id;
  }
}

std::map<std::string, std::string> UserListStore::entries() const {
  std::lock_guard guard(lock_);
  std::map<std::string, std::string> result;
  for (const auto& [key, value] : entries_) result[spelled_.at(key)] = value;
  return result;
}

}  // namespace dovel::service
