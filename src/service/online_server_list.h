#pragma once

#include <mutex>
#include <optional>
#include <string_view>

#include "service/registration_messages.h"
#include "service/server_directory.h"

namespace dovel::service {

// The servers the last server-list refresh found on the three channels: where
// a user's share server is, known without asking the service. Thread-safe.
class OnlineServerList {
 public:
  // Replaces what is known with a refresh's lists, as the list window shows them.
  void update(const ServerLists& lists);
  // The listed server of `user_id` (its letter case aside); nullopt when no
  // channel lists it.
  std::optional<ServerAddress> find_user(std::string_view user_id) const;

 private:
  mutable std::mutex lock_;
  ServerLists lists_;
};

}  // namespace dovel::service
