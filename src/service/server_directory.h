#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/stop_signal.h"
#include "service/endpoints.h"
#include "service/registration_messages.h"

namespace dovel::service {

// What the service's registration channels tell about other servers: the
// channels' server lists and where one user's share server is.

// One channel's list, on a connection of its own; nullopt when it could not be fetched.
std::optional<std::vector<ListedServer>> fetch_server_list(const ServiceEndpoints& endpoints, int channel);

// The lists of all three channels and the number of users online, as the list window shows them.
struct ServerLists {
  std::array<std::optional<std::vector<ListedServer>>, 3> channels;
  std::optional<uint32_t> online_users;
};

struct ChannelTotals {
  uint64_t servers = 0;
  uint64_t shared_mib = 0;
  uint64_t files = 0;
};
ChannelTotals totals_of(const std::vector<ListedServer>& servers);
// "User(%s) :: Server(%s) :: %s TB :: %s Files".
std::string server_list_header(const ServerLists& lists);

// The share server of `user_id`, asked of the channels in turn from `first`;
// nullopt when none knows it. A stop (optional) ends the look-up at once: it
// shuts the attempt's socket down and no further channel is asked.
std::optional<ServerAddress> lookup_address(const ServiceEndpoints& endpoints, const std::string& user_id, int first,
                                            platform::StopSignal* stop = nullptr);

}  // namespace dovel::service
