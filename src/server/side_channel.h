#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "server/peer_database.h"
#include "server/share_server_context.h"
#include "wire/peer_socket.h"

namespace dovel::server {

inline constexpr int kSideChannelReadMs = 5000;

// The answer to one side-channel request ('H'/'R' with path, name, size and
// ShareIndex; 'I' for the server's identity and load); nullopt when there is
// none to give. Nothing is answered while a hashing run is active.
std::optional<std::string> side_channel_answer(ShareServerContext& context, PeerDatabase& database, std::string_view request);

// One side-channel connection: reads its single request, answers, closes.
void run_side_channel(ShareServerContext& context, std::shared_ptr<wire::PeerSocket> socket);

}  // namespace dovel::server
