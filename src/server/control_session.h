#pragma once

#include <cstdint>
#include <memory>

#include "server/share_server_context.h"
#include "wire/peer_socket.h"

namespace dovel::server {

// How long a browsing peer may stay silent before its connection is closed, and
// how long one frame may take once it began.
inline constexpr int kControlIdleMs = 30 * 60 * 1000;
inline constexpr int kControlFrameMs = 60 * 1000;

// One control connection from the greeting to its end, on the calling thread:
// the session's own database connection, its hash worker, the upload monitor's
// notices. Ends when the peer closes or misbehaves, or when the socket is shut
// down from outside.
void run_control_session(ShareServerContext& context, std::shared_ptr<wire::PeerSocket> socket, uint64_t id);

}  // namespace dovel::server
