#include "browse/server_frame.h"

#include <algorithm>

#include "platform/deadline.h"
#include "platform/socket.h"
#include "service/frame.h"
#include "service/service_socket.h"
#include "util/little_endian.h"

namespace dovel::browse {
namespace {

constexpr size_t kPiece = 4096;

}  // namespace

ServerFrame read_server_frame(int fd, int silence_ms) {
  ServerFrame frame;
  if (platform::wait_readable(fd, silence_ms) != platform::WaitResult::Ready) return frame;
  const platform::Deadline deadline = platform::Deadline::after_ms(kWholeFrameMs);
  uint8_t word[4];
  if (service::receive_exact(fd, word, sizeof word, kFrameReadMs, deadline) != sizeof word) return frame;
  const uint32_t length = util::read_u32(word) ^ service::kScrambleKey;
  if (length == 0) {
    frame.kind = ServerFrame::Kind::KeepAlive;
    return frame;
  }
  if (length > kMaxServerFrameLength) return frame;
  std::string body;
  while (body.size() < length) {
    const size_t piece = std::min(kPiece, length - body.size());
    const size_t at = body.size();
    body.resize(at + piece);
    if (service::receive_exact(fd, body.data() + at, piece, kFrameReadMs, deadline) != static_cast<int>(piece)) return frame;
  }
  frame.kind = ServerFrame::Kind::Payload;
  frame.payload = service::scrambled(body);
  return frame;
}

}  // namespace dovel::browse
