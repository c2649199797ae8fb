#include "central/udp_receiver.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <string>

namespace dovel::central {

UdpReceiver::UdpReceiver(service::Endpoint at, size_t max_datagram, const StopSignal& stop)
    : at_(at), max_datagram_(max_datagram), stop_(stop) {}

UdpReceiver::~UdpReceiver() { join(); }

bool UdpReceiver::bind() {
  socket_.reset(platform::make_udp_socket_bound(at_.address, at_.port));
  return socket_.valid();
}

void UdpReceiver::start(Callback on_datagram) {
  on_datagram_ = std::move(on_datagram);
  thread_ = std::thread([this] { loop(); });
}

void UdpReceiver::join() {
  if (thread_.joinable()) thread_.join();
}

void UdpReceiver::loop() {
  std::string buffer(max_datagram_ + 1, '\0');
  while (true) {
    pollfd entries[2] = {{socket_.get(), POLLIN, 0}, {stop_.fd(), POLLIN, 0}};
    int ready = ::poll(entries, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || entries[1].revents != 0) return;
    sockaddr_in from{};
    socklen_t size = sizeof from;
    ssize_t got = ::recvfrom(socket_.get(), buffer.data(), buffer.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &size);
    if (got < 0) continue;
    on_datagram_(std::string_view(buffer.data(), static_cast<size_t>(got)), service::Endpoint{from.sin_addr.s_addr, ntohs(from.sin_port)});
  }
}

bool send_datagram(int fd, std::string_view datagram, const service::Endpoint& to) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = to.address;
  target.sin_port = htons(to.port);
  return ::sendto(fd, datagram.data(), datagram.size(), MSG_NOSIGNAL | MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&target),
                  sizeof target) == static_cast<ssize_t>(datagram.size());
}

}  // namespace dovel::central
