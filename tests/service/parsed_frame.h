#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "service/frame.h"
#include "util/little_endian.h"

namespace dovel::test {

// An outgoing frame taken apart the way the receiving server does it.
struct ParsedFrame {
  uint16_t check = 0;
  uint16_t tick16 = 0;
  uint16_t length = 0;
  uint16_t type = 0;
  std::string payload;
};

inline ParsedFrame parse_frame(std::string_view frame) {
  ParsedFrame parsed;
  if (frame.size() < service::kFrameHeaderSize) return parsed;
  parsed.check = util::read_u16(frame.data());
  parsed.tick16 = util::read_u16(frame.data() + 2);
  parsed.length = util::read_u16(frame.data() + 4);
  std::string body = service::scrambled(frame.substr(6));
  parsed.type = util::read_u16(body.data());
  parsed.payload = body.substr(2);
  return parsed;
}

}  // namespace dovel::test
