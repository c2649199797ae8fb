#include "service/online_server_list.h"

#include "base/text.h"

namespace dovel::service {

void OnlineServerList::update(const ServerLists& lists) {
  std::lock_guard guard(lock_);
  lists_ = lists;
}

std::optional<ServerAddress> OnlineServerList::find_user(std::string_view user_id) const {
  if (user_id.empty()) return std::nullopt;
  std::lock_guard guard(lock_);
  for (const auto& channel : lists_.channels) {
    if (!channel) continue;
    for (const ListedServer& server : *channel) {
      if (server.address != 0 && server.port != 0 && base::iequals_ascii(server.user_id, user_id)) return ServerAddress{server.address, server.port};
    }
  }
  return std::nullopt;
}

}  // namespace dovel::service
