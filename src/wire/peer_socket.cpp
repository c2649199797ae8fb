#include "wire/peer_socket.h"

#include <sys/sendfile.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>

#include "platform/deadline.h"

namespace dovel::wire {

bool PeerSocket::send_bytes(std::string_view bytes, int timeout_ms, size_t piece_limit) {
  if (shut_down_) return false;
  std::unique_lock guard(send_lock_, std::chrono::milliseconds(timeout_ms));
  if (!guard.owns_lock()) return false;
  platform::Deadline deadline = platform::Deadline::after_ms(timeout_ms);
  size_t sent = 0;
  while (sent < bytes.size()) {
    size_t piece = std::min(piece_limit, bytes.size() - sent);
    ssize_t result = ::send(fd_.get(), bytes.data() + sent, piece, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (result > 0) {
      sent += static_cast<size_t>(result);
      continue;
    }
    if (result < 0 && errno == EINTR) continue;
    if (result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && !deadline.expired() &&
        platform::wait_writable(fd_.get(), deadline.remaining_ms()) == platform::WaitResult::Ready) {
      continue;
    }
    if (sent > 0) shutdown();
    return false;
  }
  return true;
}

bool PeerSocket::send_frame(std::string_view payload, int timeout_ms) {
  if (payload.size() > kMaxServerFrameLength) return false;
  return send_bytes(build_peer_frame(payload), timeout_ms, kFramePiece);
}

bool PeerSocket::send_raw(std::string_view bytes, int timeout_ms) { return send_bytes(bytes, timeout_ms, bytes.size()); }

ssize_t PeerSocket::send_file_part(int file, int64_t offset, size_t count, int timeout_ms) {
  if (shut_down_) return -1;
  std::unique_lock guard(send_lock_, std::chrono::milliseconds(timeout_ms));
  if (!guard.owns_lock()) return -1;
  platform::Deadline deadline = platform::Deadline::after_ms(timeout_ms);
  off_t position = static_cast<off_t>(offset);
  size_t sent = 0;
  while (sent < count) {
    ssize_t result = ::sendfile(fd_.get(), file, &position, count - sent);
    if (result > 0) {
      sent += static_cast<size_t>(result);
      continue;
    }
    if (result == 0) break;
    if (errno == EINTR) continue;
    if ((errno == EAGAIN || errno == EWOULDBLOCK) && !deadline.expired() &&
        platform::wait_writable(fd_.get(), deadline.remaining_ms()) == platform::WaitResult::Ready) {
      continue;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK) errno = ETIMEDOUT;
    return -1;
  }
  return static_cast<ssize_t>(sent);
}

bool PeerSocket::send_keep_alive(int timeout_ms) { return send_frame("", timeout_ms); }

void PeerSocket::shutdown() {
  shut_down_ = true;
  platform::shutdown_socket(fd_.get());
}

}  // namespace dovel::wire
