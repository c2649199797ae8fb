#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dovel::platform {

// IPv4 addresses are kept as 32-bit values in network byte order, as they travel.
using Ipv4 = uint32_t;

std::optional<Ipv4> parse_ipv4(std::string_view dotted);
std::string format_ipv4(Ipv4 address);
// Whether the address is in 127.0.0.0/8, which only this machine reaches.
bool is_loopback_ipv4(Ipv4 address);

// Writes to a closed peer must fail with EPIPE, not kill the process. Called once at start.
void ignore_sigpipe();

// Owns a socket descriptor; closes it on destruction.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release();
  void reset(int fd = -1);

 private:
  int fd_ = -1;
};

enum class WaitResult { Ready, Timeout, Error };

// Waits until the socket can be read (or written); a negative time-out waits without limit.
WaitResult wait_readable(int fd, int timeout_ms);
WaitResult wait_writable(int fd, int timeout_ms);

bool set_nonblocking(int fd, bool nonblocking);

// Sends everything or fails (-1); never raises SIGPIPE.
ssize_t send_all(int fd, const void* data, size_t length);

// Reads what is there (up to `length`) after waiting at most timeout_ms;
// 0 when the peer closed, -1 on error or time-out.
ssize_t receive_some(int fd, void* data, size_t length, int timeout_ms);

int create_tcp_socket();
int create_udp_socket();

// Connects a TCP socket, waiting at most timeout_ms; the socket stays blocking afterwards.
bool connect_tcp(int fd, Ipv4 address, uint16_t port, int timeout_ms);

// A listening TCP socket with SO_REUSEADDR, or -1. Port 0 picks a free port.
int make_tcp_listener(Ipv4 address, uint16_t port, int backlog);
int make_udp_socket_bound(Ipv4 address, uint16_t port);
// The local port a socket is bound to (0 when unknown).
uint16_t local_port(int fd);

// Wakes a thread blocked in a read on this socket (closing alone does not).
void shutdown_socket(int fd);

}  // namespace dovel::platform
