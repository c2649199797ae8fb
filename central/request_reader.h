#pragma once

#include <cstddef>

#include "service/frame.h"

namespace dovel::central {

enum class ReadStatus {
  Ok,
  Closed,     // the client closed before a whole frame came
  Malformed,  // the header's check word or length is wrong
  TooLong,    // more than the role takes
  TimedOut,   // the rest of the frame did not come in time, or the socket failed
};

struct RequestRead {
  ReadStatus status = ReadStatus::Closed;
  service::Frame frame;
};

// Reads one request frame; the body may hold at most `max_body` bytes of payload
// (checked before anything is allocated), and the whole frame must arrive within
// `frame_ms` of its first byte.
RequestRead read_request(int fd, size_t max_body, int frame_ms);

const char* read_status_text(ReadStatus status);

}  // namespace dovel::central
