#include "platform/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace dovel::platform {
namespace {

sockaddr_in make_address(Ipv4 address, uint16_t port) {
  sockaddr_in socket_address{};
  socket_address.sin_family = AF_INET;
  socket_address.sin_addr.s_addr = address;
  socket_address.sin_port = htons(port);
  return socket_address;
}

WaitResult wait_for(int fd, short events, int timeout_ms) {
  pollfd entry{fd, events, 0};
  auto start = std::chrono::steady_clock::now();
  int left = timeout_ms;
  while (true) {
    int result = ::poll(&entry, 1, left);
    if (result > 0) return WaitResult::Ready;
    if (result == 0) return WaitResult::Timeout;
    if (errno != EINTR) return WaitResult::Error;
    if (timeout_ms >= 0) {
      auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
      left = spent >= timeout_ms ? 0 : timeout_ms - static_cast<int>(spent);
    }
  }
}

}  // namespace

std::optional<Ipv4> parse_ipv4(std::string_view dotted) {
  // A NUL would end the C string early and let "1.2.3.4\0junk" through.
  if (dotted.empty() || dotted.size() > 15 || dotted.find('\0') != std::string_view::npos) return std::nullopt;
  std::string text(dotted);
  in_addr parsed{};
  if (::inet_pton(AF_INET, text.c_str(), &parsed) != 1) return std::nullopt;
  return parsed.s_addr;
}

std::string format_ipv4(Ipv4 address) {
  in_addr value{};
  value.s_addr = address;
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &value, text, sizeof text);
  return text;
}

bool is_loopback_ipv4(Ipv4 address) { return (ntohl(address) >> 24) == 127; }

void ignore_sigpipe() { ::signal(SIGPIPE, SIG_IGN); }

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

int UniqueFd::release() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

WaitResult wait_readable(int fd, int timeout_ms) { return wait_for(fd, POLLIN, timeout_ms); }
WaitResult wait_writable(int fd, int timeout_ms) { return wait_for(fd, POLLOUT, timeout_ms); }

bool set_nonblocking(int fd, bool nonblocking) {
  int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return false;
  flags = nonblocking ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
  return ::fcntl(fd, F_SETFL, flags) == 0;
}

ssize_t send_all(int fd, const void* data, size_t length) {
  const char* bytes = static_cast<const char*>(data);
  size_t sent = 0;
  while (sent < length) {
    ssize_t result = ::send(fd, bytes + sent, length - sent, MSG_NOSIGNAL);
    if (result < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    sent += static_cast<size_t>(result);
  }
  return static_cast<ssize_t>(sent);
}

ssize_t receive_some(int fd, void* data, size_t length, int timeout_ms) {
  if (wait_readable(fd, timeout_ms) != WaitResult::Ready) return -1;
  while (true) {
    ssize_t result = ::recv(fd, data, length, 0);
    if (result < 0 && errno == EINTR) continue;
    return result;
  }
}

int create_tcp_socket() { return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); }
int create_udp_socket() { return ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0); }

bool connect_tcp(int fd, Ipv4 address, uint16_t port, int timeout_ms) {
  if (!set_nonblocking(fd, true)) return false;
  sockaddr_in target = make_address(address, port);
  int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target);
  if (result != 0 && errno != EINPROGRESS) return false;
  if (result != 0) {
    if (wait_writable(fd, timeout_ms) != WaitResult::Ready) return false;
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) return false;
  }
  return set_nonblocking(fd, false);
}

int make_tcp_listener(Ipv4 address, uint16_t port, int backlog) {
  int fd = create_tcp_socket();
  if (fd < 0) return -1;
  int on = 1;
  sockaddr_in local = make_address(address, port);
  if (::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 || ::listen(fd, backlog) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int make_udp_socket_bound(Ipv4 address, uint16_t port) {
  int fd = create_udp_socket();
  if (fd < 0) return -1;
  int on = 1;
  sockaddr_in local = make_address(address, port);
  if (::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

uint16_t local_port(int fd) {
  sockaddr_in local{};
  socklen_t size = sizeof local;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) != 0) return 0;
  return ntohs(local.sin_port);
}

void shutdown_socket(int fd) {
  if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

}  // namespace dovel::platform
