#include "central/connection.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "platform/deadline.h"

namespace dovel::central {

Connection::Connection(platform::UniqueFd fd, service::Endpoint peer, const RoleContext& role)
    : fd_(std::move(fd)), peer_(peer), role_(role), outbox_(std::make_shared<Outbox>(role.limits.outbox_items)) {}

std::string Connection::peer_text() const { return platform::format_ipv4(peer_.address) + ":" + std::to_string(peer_.port); }

bool Connection::send(std::string_view bytes) {
  if (broken_ || !fd_.valid()) return false;
  const auto deadline = platform::Deadline::after_ms(role_.limits.send_ms);
  size_t sent = 0;
  while (sent < bytes.size()) {
    if (platform::wait_writable(fd_.get(), deadline.remaining_ms()) != platform::WaitResult::Ready) break;
    ssize_t result = ::send(fd_.get(), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (result < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (result <= 0) break;
    sent += static_cast<size_t>(result);
  }
  broken_ = sent < bytes.size();
  return !broken_;
}

void Connection::log(std::string_view request, std::string_view result) const {
  role_.log.write(role_.role, peer_text(), request, result);
}

void Connection::close_in_order() {
  if (!fd_.valid()) return;
  if (broken_) {
    platform::shutdown_socket(fd_.get());
    fd_.reset();
    return;
  }
  ::shutdown(fd_.get(), SHUT_WR);
  const auto deadline = platform::Deadline::after_ms(role_.limits.close_drain_ms);
  char scratch[4096];
  while (!deadline.expired()) {
    pollfd entries[2] = {{fd_.get(), POLLIN, 0}, {role_.stop.fd(), POLLIN, 0}};
    int ready = ::poll(entries, 2, deadline.remaining_ms());
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0 || entries[1].revents != 0) break;
    ssize_t got = ::recv(fd_.get(), scratch, sizeof scratch, MSG_DONTWAIT);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) break;
  }
  fd_.reset();
}

}  // namespace dovel::central
