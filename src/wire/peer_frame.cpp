#include "wire/peer_frame.h"

#include <algorithm>

#include "platform/deadline.h"
#include "platform/socket.h"
#include "service/frame.h"
#include "service/service_socket.h"
#include "util/little_endian.h"

namespace dovel::wire {
namespace {

constexpr size_t kPiece = 4096;

}  // namespace

std::string build_peer_frame(std::string_view payload) {
  std::string frame;
  util::append_u32(frame, static_cast<uint32_t>(payload.size()) ^ service::kScrambleKey);
  frame += service::scrambled(payload);
  return frame;
}

PeerFrame read_peer_frame(int fd, uint32_t max_length, const FrameTiming& timing) {
  PeerFrame frame;
  if (platform::wait_readable(fd, timing.silence_ms) != platform::WaitResult::Ready) return frame;
  const platform::Deadline deadline = platform::Deadline::after_ms(timing.whole_ms);
  uint8_t word[4];
  if (service::receive_exact(fd, word, sizeof word, timing.read_ms, deadline) != sizeof word) return frame;
  const uint32_t length = util::read_u32(word) ^ service::kScrambleKey;
  if (length == 0) {
    frame.kind = PeerFrame::Kind::KeepAlive;
    return frame;
  }
  if (length > max_length) return frame;
  std::string body;
  while (body.size() < length) {
    const size_t piece = std::min(kPiece, length - body.size());
    const size_t at = body.size();
    body.resize(at + piece);
    if (service::receive_exact(fd, body.data() + at, piece, timing.read_ms, deadline) != static_cast<int>(piece)) return frame;
  }
  frame.kind = PeerFrame::Kind::Payload;
  frame.payload = service::scrambled(body);
  return frame;
}

std::optional<std::string> read_client_frame(int fd, uint32_t max_length, int idle_ms, int frame_ms) {
  PeerFrame frame = read_peer_frame(fd, max_length, {idle_ms, frame_ms, frame_ms});
  if (frame.kind != PeerFrame::Kind::Payload) return std::nullopt;
  return std::move(frame.payload);
}

PeerFrame read_server_frame(int fd, int silence_ms) { return read_peer_frame(fd, kMaxServerFrameLength, {silence_ms, kFrameReadMs, kWholeFrameMs}); }

}  // namespace dovel::wire
