#include "service/frame.h"

#include "util/little_endian.h"

namespace dovel::service {

using util::append_u16;
using util::append_u32;

void scramble(size_t length, uint8_t* destination, const uint8_t* source) {
  for (size_t k = 0; k < length; ++k) {
    destination[k] = source[k] ^ static_cast<uint8_t>(kScrambleKey >> (8 * (k % 4)));
  }
}

std::string scrambled(std::string_view data) {
  std::string result(data);
  auto* bytes = reinterpret_cast<uint8_t*>(result.data());
  scramble(result.size(), bytes, bytes);
  return result;
}

std::optional<std::string> build_frame(uint16_t type, std::string_view payload, uint16_t tick16) {
  if (payload.size() > kMaxFramePayload) return std::nullopt;
  std::string frame;
  frame.reserve(kFrameHeaderSize + payload.size());
  append_u16(frame, frame_check_word(tick16));
  append_u16(frame, tick16);
  append_u16(frame, static_cast<uint16_t>(payload.size() + 2));
  std::string body;
  body.reserve(payload.size() + 2);
  append_u16(body, type);
  body.append(payload);
  frame += scrambled(body);
  return frame;
}

std::optional<std::string> build_frame(uint16_t type, std::string_view payload, const platform::Clock& clock) {
  return build_frame(type, payload, static_cast<uint16_t>(clock.tick() & 0xFFFF));
}

std::optional<size_t> frame_body_length(std::string_view plain_start) {
  if (plain_start.size() < kFramePlainSize) return std::nullopt;
  const uint16_t check = util::read_u16(plain_start.data());
  const uint16_t tick16 = util::read_u16(plain_start.data() + 2);
  const uint16_t length = util::read_u16(plain_start.data() + 4);
  if (check != frame_check_word(tick16) || length < 2) return std::nullopt;
  return length;
}

std::optional<Frame> read_frame_body(std::string_view scrambled_body) {
  if (scrambled_body.size() < 2) return std::nullopt;
  std::string body = scrambled(scrambled_body);
  return Frame{util::read_u16(body.data()), body.substr(2)};
}

}  // namespace dovel::service
