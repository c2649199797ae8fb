#include "service/service_socket.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "service/frame.h"

namespace dovel::service {

bool connect_with_timeout(int& fd, platform::Ipv4 address, uint16_t port, int timeout_ms) {
  if (fd == kInvalidSocket) fd = platform::create_tcp_socket();
  if (fd == kInvalidSocket) return false;
  if (platform::connect_tcp(fd, address, port, timeout_ms)) return true;
  ::close(fd);
  fd = kInvalidSocket;
  return false;
}

bool bind_to_client_address(int fd, const ServiceEndpoints& endpoints) {
  if (endpoints.bind_address == 0) return true;
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = endpoints.bind_address;
  return ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

bool connect_to_service(int& fd, const ServiceEndpoints& endpoints, const Endpoint& endpoint, int timeout_ms) {
  fd = platform::create_tcp_socket();
  if (fd == kInvalidSocket) return false;
  if (!bind_to_client_address(fd, endpoints)) {
    ::close(fd);
    fd = kInvalidSocket;
    return false;
  }
  return connect_with_timeout(fd, endpoint.address, endpoint.port, timeout_ms);
}

bool connect_async_socket(int& fd, platform::Ipv4 address, uint16_t port, int timeout_ms) {
  if (fd == kInvalidSocket) fd = platform::create_tcp_socket();
  if (fd == kInvalidSocket) return false;
  int buffer_size = 8192;
  ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &buffer_size, sizeof buffer_size);
  ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer_size, sizeof buffer_size);
  return connect_with_timeout(fd, address, port, timeout_ms);
}

int send_frame(int fd, uint16_t type, std::string_view payload) {
  auto frame = build_frame(type, payload);
  if (!frame || fd == kInvalidSocket) return -1;
  return static_cast<int>(platform::send_all(fd, frame->data(), frame->size()));
}

int receive_exact(int fd, void* buffer, size_t count, int timeout_ms, const platform::Deadline& deadline) {
  if (fd == kInvalidSocket) return -1;
  auto* bytes = static_cast<char*>(buffer);
  size_t received = 0;
  while (received < count) {
    if (deadline.expired()) return -1;
    ssize_t got = platform::receive_some(fd, bytes + received, count - received, deadline.clamp_ms(timeout_ms));
    if (got <= 0) return -1;
    received += static_cast<size_t>(got);
  }
  return static_cast<int>(count);
}

void close_socket(int& fd, bool linger) {
  if (fd == kInvalidSocket) return;
  if (linger) {
    ::linger option{1, 1};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &option, sizeof option);
  } else {
    ::shutdown(fd, SHUT_RDWR);
  }
  ::close(fd);
  fd = kInvalidSocket;
}

}  // namespace dovel::service
