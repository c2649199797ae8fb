#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/deadline.h"
#include "service/endpoints.h"
#include "platform/socket.h"

namespace dovel::service {

inline constexpr int kInvalidSocket = -1;

// Connects `fd` (a TCP socket; created when it is invalid). On failure or
// time-out the socket is closed and `fd` becomes invalid.
bool connect_with_timeout(int& fd, platform::Ipv4 address, uint16_t port, int timeout_ms);

// Binds a new socket to the client's bind address when one is set.
bool bind_to_client_address(int fd, const ServiceEndpoints& endpoints);

// A new connection to one of the service's endpoints, leaving from the client's
// bind address when one is set; an invalid `fd` on failure.
bool connect_to_service(int& fd, const ServiceEndpoints& endpoints, const Endpoint& endpoint, int timeout_ms);

// Like connect_with_timeout, with 8 KiB send and receive buffers, for the
// long-lived service connections.
bool connect_async_socket(int& fd, platform::Ipv4 address, uint16_t port, int timeout_ms);

// Builds a frame of `type` around `payload` and sends it; the bytes sent or -1.
int send_frame(int fd, uint16_t type, std::string_view payload);

// Reads exactly `count` bytes. Each read waits at most `timeout_ms` (-1: no
// per-read limit), and the whole call ends at `deadline` whatever the peer does.
// Returns count, or -1 when the peer closes, an error occurs or time runs out.
int receive_exact(int fd, void* buffer, size_t count, int timeout_ms, const platform::Deadline& deadline);

// With `linger`, a one-second linger before the close; otherwise both directions
// are shut down first (which also wakes a thread blocked reading it). `fd` becomes invalid.
void close_socket(int& fd, bool linger);

}  // namespace dovel::service
