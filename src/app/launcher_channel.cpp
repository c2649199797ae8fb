#include "app/launcher_channel.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <optional>
#include <string>

#include "core/message_ids.h"
#include "platform/deadline.h"

namespace dovel::app {
namespace {

// The request being read from the current connection.
struct Incoming {
  explicit Incoming(platform::UniqueFd connection) : fd(std::move(connection)) {}
  platform::UniqueFd fd;
  std::string text;
  platform::Deadline deadline = platform::Deadline::after_ms(kLauncherReadMs);
};

// Takes in what the connection has sent so far. True while it is still sending;
// false once it is done with: its text carried out at the end of the stream, or
// dropped when too long or broken.
bool read_available(Incoming& incoming, core::MessageTarget& hub) {
  char buffer[kMaxLauncherRequest];
  while (true) {
    const ssize_t got = ::recv(incoming.fd.get(), buffer, sizeof buffer, MSG_DONTWAIT);
    if (got > 0) {
      incoming.text.append(buffer, static_cast<size_t>(got));
      if (incoming.text.size() > kMaxLauncherRequest) return false;
      continue;
    }
    if (got == 0) {
      if (!incoming.text.empty()) {
        hub.post({core::UM_CARRY_OUT_REQUEST, 0, 0, std::make_unique<core::TextPayload>(std::move(incoming.text))});
      }
      return false;
    }
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
  }
}

}  // namespace

LauncherChannel::~LauncherChannel() { stop(); }

bool LauncherChannel::start(platform::Ipv4 address, uint16_t port) {
  if (!platform::is_loopback_ipv4(address)) {
    errno = EADDRNOTAVAIL;
    return false;
  }
  platform::UniqueFd listener(platform::make_tcp_listener(address, port, 5));
  if (!listener.valid()) return false;
  port_ = platform::local_port(listener.get());
  return thread_.start(std::move(listener), [this](int fd, int wake) { run(fd, wake); });
}

void LauncherChannel::stop() { thread_.stop(); }

void LauncherChannel::run(int listener, int wake) {
  std::optional<Incoming> incoming;
  while (true) {
    pollfd watched[3] = {{wake, POLLIN, 0}, {listener, POLLIN, 0}, {incoming ? incoming->fd.get() : -1, POLLIN, 0}};
    const int timeout = incoming ? incoming->deadline.remaining_ms() : -1;
    if (::poll(watched, 3, timeout) < 0) continue;
    if (watched[0].revents != 0) return;
    if (incoming && watched[2].revents != 0 && !read_available(*incoming, hub_)) incoming.reset();
    if (incoming && incoming->deadline.expired()) incoming.reset();
    if ((watched[1].revents & POLLIN) == 0) continue;
    platform::UniqueFd accepted(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
    if (!accepted.valid()) continue;
    // The new connection replaces the one before; a request that one finished
    // before the new connection came is still carried out.
    if (incoming) read_available(*incoming, hub_);
    incoming.emplace(std::move(accepted));
  }
}

}  // namespace dovel::app
