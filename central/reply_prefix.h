#pragma once

#include <string>
#include <string_view>

#include "util/little_endian.h"

namespace dovel::central {

// The two length-prefixed reply shapes: u16 or u32 length, then the body.
inline std::string with_short_prefix(std::string_view body) {
  std::string reply;
  util::append_u16(reply, static_cast<uint16_t>(body.size()));
  return reply.append(body);
}

inline std::string with_long_prefix(std::string_view body) {
  std::string reply;
  util::append_u32(reply, static_cast<uint32_t>(body.size()));
  return reply.append(body);
}

}  // namespace dovel::central
