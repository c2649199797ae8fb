#include "app/launcher_channel.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "mainframe/message_ids.h"
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

}  // namespace

LauncherChannel::~LauncherChannel() { stop(); }

bool LauncherChannel::start(platform::Ipv4 address, uint16_t port) {
  platform::UniqueFd listener(platform::make_tcp_listener(address, port, 5));
  if (!listener.valid()) return false;
  port_ = platform::local_port(listener.get());
  wake_.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  thread_ = std::thread([this, fd = listener.release()] {
    platform::UniqueFd owned(fd);
    run(owned.get());
  });
  return true;
}

void LauncherChannel::stop() {
  if (!thread_.joinable()) return;
  uint64_t one = 1;
  [[maybe_unused]] ssize_t written = ::write(wake_.get(), &one, sizeof one);
  thread_.join();
}

void LauncherChannel::run(int listener) {
  std::optional<Incoming> incoming;
  while (true) {
    pollfd watched[3] = {{wake_.get(), POLLIN, 0}, {listener, POLLIN, 0}, {-1, POLLIN, 0}};
    int timeout = -1;
    if (incoming) {
      watched[2].fd = incoming->fd.get();
      timeout = incoming->deadline.remaining_ms();
    }
    if (::poll(watched, 3, timeout) < 0) continue;
    if (watched[0].revents != 0) return;
    if (incoming && incoming->deadline.expired()) incoming.reset();
    if (watched[1].revents & POLLIN) {
      platform::UniqueFd accepted(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
      if (accepted.valid()) incoming.emplace(std::move(accepted));
    }
    if (!incoming || watched[2].revents == 0 || watched[2].fd != incoming->fd.get()) continue;
    char buffer[kMaxLauncherRequest];
    const ssize_t got = ::recv(incoming->fd.get(), buffer, sizeof buffer, MSG_DONTWAIT);
    if (got > 0) {
      incoming->text.append(buffer, static_cast<size_t>(got));
      if (incoming->text.size() > kMaxLauncherRequest) incoming.reset();
      continue;
    }
    if (got == 0 && !incoming->text.empty()) {
      hub_.post({mainframe::UM_CARRY_OUT_REQUEST, 0, 0, std::make_unique<mainframe::TextPayload>(std::move(incoming->text))});
    }
    if (got == 0 || (errno != EAGAIN && errno != EINTR)) incoming.reset();
  }
}

}  // namespace dovel::app
