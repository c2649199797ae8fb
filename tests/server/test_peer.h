#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <vector>

#include "platform/socket.h"

namespace dovel::test {

// The other side of a share-server connection, as a peer would drive it:
// raw bytes, scrambled frames with their length words, and time limits on
// every read so a test never hangs.
class TestPeer {
 public:
  // Connects to 127.0.0.1:port (or `address`) from `source` (any address when
  // empty) and sends the kind byte.
  static std::optional<TestPeer> connect(uint16_t port, uint8_t kind, std::string_view address = "127.0.0.1", std::string_view source = {});
  // Connects without sending anything.
  static std::optional<TestPeer> connect_silent(uint16_t port, std::string_view address = "127.0.0.1", std::string_view source = {});

  int fd() const { return fd_.get(); }
  bool send_raw(std::string_view bytes);
  bool send_frame(std::string_view payload);
  // Exactly `count` bytes, or what came before the peer closed or time ran out.
  std::string read_raw(size_t count, int timeout_ms = 10000);
  // The next server frame that is not a keep-alive; nullopt on close or time-out.
  std::optional<std::string> read_frame(int timeout_ms = 10000);
  // The next server frame, a keep-alive as an empty one; nullopt on close or time-out.
  std::optional<std::string> read_any_frame(int timeout_ms = 10000);
  // True when the server closed the connection (an end of stream or reset) within the time.
  bool closed_within(int timeout_ms = 10000);
  // Kind answer and version byte of a control connection.
  std::string read_control_answer() { return read_raw(5); }
  // The greeting frames up to and including "5".
  std::vector<std::string> read_greeting();

 private:
  explicit TestPeer(platform::UniqueFd fd) : fd_(std::move(fd)) {}
  platform::UniqueFd fd_;
};

}  // namespace dovel::test
