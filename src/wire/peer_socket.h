#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>

#include "platform/socket.h"
#include "wire/peer_frame.h"

namespace dovel::wire {

inline constexpr int kSendTimeoutMs = 30000;

// One accepted peer connection. Every send goes through the socket's send lock,
// so that a session thread, its hash worker and the server's broadcasts never
// interleave their frames, and every send has a deadline, so that a peer that
// stopped reading cannot hold a sender for long. A frame that could not be sent
// whole shuts the socket down: the peer would only see garbage after half a frame.
class PeerSocket {
 public:
  // `remote`: the address the connection came from (0 when unknown).
  explicit PeerSocket(platform::UniqueFd fd, platform::Ipv4 remote = 0) : fd_(std::move(fd)), remote_(remote) {}

  int fd() const { return fd_.get(); }
  platform::Ipv4 remote_address() const { return remote_; }

  // The payload framed (length word and payload scrambled), waiting at most
  // `timeout_ms` for the send lock and the send.
  bool send_frame(std::string_view payload, int timeout_ms = kSendTimeoutMs);
  // Bytes as they are (status words, version byte, 16-bit values, file data),
  // handed to the system whole: a chunk of file data is one send.
  bool send_raw(std::string_view bytes, int timeout_ms = kSendTimeoutMs);
  // Up to `count` bytes of the open file `file` from `offset`, handed to the
  // system straight from the page cache. The socket must be non-blocking. The
  // number of bytes sent, fewer than `count` only where the file ended; -1 when
  // the send failed or ran out of time (errno says why).
  ssize_t send_file_part(int file, int64_t offset, size_t count, int timeout_ms = kSendTimeoutMs);
  // The bare length word of an empty frame: tells the peer we are alive.
  bool send_keep_alive(int timeout_ms);

  // Shuts both directions down: a thread blocked reading this socket wakes up.
  void shutdown();
  bool is_shut_down() const { return shut_down_; }

 private:
  // Frames go out in pieces of at most 4 KiB, as peers expect them.
  static constexpr size_t kFramePiece = 4096;
  bool send_bytes(std::string_view bytes, int timeout_ms, size_t piece_limit);

  platform::UniqueFd fd_;
  const platform::Ipv4 remote_;
  std::timed_mutex send_lock_;
  std::atomic<bool> shut_down_{false};
};

}  // namespace dovel::wire
