#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/socket.h"
#include "service/auth_messages.h"
#include "service/endpoints.h"
#include "service/reply_readers.h"

namespace dovel::central::test {

// A client of the stand-in service on its own loopback address, speaking with
// the project's frame and message code. Every read has a time limit.
class CentralClient {
 public:
  // Connects from `local` (any port) to `to`; nullopt when it cannot.
  static std::optional<CentralClient> connect(platform::Ipv4 local, const service::Endpoint& to);

  int fd() const { return fd_.get(); }
  bool send_frame(uint16_t type, std::string_view payload);
  bool send_raw(std::string_view bytes);

  std::optional<std::string> read_short_reply();
  std::optional<std::string> read_long_reply();
  std::optional<std::string> read_fixed_reply(size_t count);
  std::optional<service::TypedReply> read_typed_reply();
  // The next push of `type`, passing over others (the 126 counts come at any time).
  std::optional<service::Push> next_push(uint16_t type);
  std::optional<service::Push> next_push();

  enum class End { Orderly, Reset, StillOpen };
  // Reads (and drops) until the service ends the connection: with a FIN
  // (Orderly) or a reset, or not within the time.
  End wait_for_end(int timeout_ms = 20000);

  void close() { fd_.reset(); }

 private:
  explicit CentralClient(platform::UniqueFd fd) : fd_(std::move(fd)) {}
  platform::UniqueFd fd_;
};

inline constexpr int kReplyTimeoutMs = 20000;

}  // namespace dovel::central::test
