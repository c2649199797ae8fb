#include "service/connection_watcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace dovel::service {

ConnectionWatcher::ConnectionWatcher(int fd, Closed closed)
    : wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), closed_(std::move(closed)), thread_([this, fd] { watch(fd); }) {}

ConnectionWatcher::~ConnectionWatcher() {
  uint64_t one = 1;
  [[maybe_unused]] ssize_t written = ::write(wake_.get(), &one, sizeof one);
  thread_.join();
}

void ConnectionWatcher::watch(int fd) {
  pollfd watched[2] = {{wake_.get(), POLLIN, 0}, {fd, POLLRDHUP, 0}};
  while (true) {
    if (::poll(watched, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (watched[0].revents != 0) return;
    const short events = watched[1].revents;
    if (events == 0) continue;
    int error = 0;
    socklen_t size = sizeof error;
    if (events & (POLLERR | POLLHUP)) ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
    if ((events & POLLHUP) && !(events & POLLRDHUP) && error == 0) error = ECONNRESET;
    closed_(error);
    return;
  }
}

}  // namespace dovel::service
