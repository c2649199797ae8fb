#include "service/held_connection.h"

#include "service/service_socket.h"

namespace dovel::service {

HeldConnection::~HeldConnection() { close(); }

void HeldConnection::hold(platform::UniqueFd connection, ConnectionWatcher::Closed closed) {
  close();
  std::lock_guard guard(lock_);
  socket_ = std::move(connection);
  // The flag is marked before the report goes out, so that whoever the report
  // reaches already finds the connection closed.
  ended_ = std::make_shared<std::atomic<bool>>(false);
  watcher_ = std::make_unique<ConnectionWatcher>(socket_.get(), [ended = ended_, closed = std::move(closed)](int error) {
    *ended = true;
    closed(error);
  });
}

void HeldConnection::close() {
  std::unique_ptr<ConnectionWatcher> watcher;
  {
    std::lock_guard guard(lock_);
    watcher = std::move(watcher_);
  }
  // The watcher is stopped outside the lock: its report may be running and must not wait for it.
  watcher.reset();
  std::lock_guard guard(lock_);
  socket_.reset();
  ended_.reset();
}

bool HeldConnection::open() const {
  std::lock_guard guard(lock_);
  return open_locked();
}

bool HeldConnection::open_locked() const { return socket_.valid() && !(ended_ && *ended_); }

bool HeldConnection::send(uint16_t type, std::string_view payload) {
  std::lock_guard guard(lock_);
  return open_locked() && send_frame(socket_.get(), type, payload) >= 0;
}

std::optional<std::string> HeldConnection::request(uint16_t type, std::string_view payload,
                                                   const std::function<std::optional<std::string>(int fd)>& read_reply) {
  std::lock_guard guard(lock_);
  if (!open_locked() || send_frame(socket_.get(), type, payload) < 0) return std::nullopt;
  return read_reply(socket_.get());
}

}  // namespace dovel::service
