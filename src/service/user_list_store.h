#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace dovel::service {

// One of the user's two lists kept on the service, "buddy" (friends) or "black"
// (blocked users): user ID -> nickname, 0x07, memo. User IDs compare without
// regard to ASCII case.
class UserListStore {
 public:
  explicit UserListStore(std::string kind) : kind_(std::move(kind)) {}

  const std::string& kind() const { return kind_; }
  bool contains(std::string_view user_id) const;
  void set_entries(const std::map<std::string, std::string>& entries);
  std::map<std::string, std::string> entries() const;

 private:
  std::string kind_;
  mutable std::mutex lock_;
  std::map<std::string, std::string> entries_;  // by lower-cased ID
  std::map<std::string, std::string> spelled_;  // lower-cased ID -> ID as given
};

}  // namespace dovel::service
