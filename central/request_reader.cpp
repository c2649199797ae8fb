#include "central/request_reader.h"

#include <string>

#include "platform/deadline.h"
#include "platform/socket.h"

namespace dovel::central {
namespace {

// Reads exactly `count` bytes; Closed when the client ends the stream first.
ReadStatus read_exact(int fd, char* buffer, size_t count, const platform::Deadline& deadline) {
  size_t received = 0;
  while (received < count) {
    if (deadline.expired()) return ReadStatus::TimedOut;
    ssize_t got = platform::receive_some(fd, buffer + received, count - received, deadline.remaining_ms());
    if (got == 0) return ReadStatus::Closed;
    if (got < 0) return ReadStatus::TimedOut;
    received += static_cast<size_t>(got);
  }
  return ReadStatus::Ok;
}

}  // namespace

RequestRead read_request(int fd, size_t max_body, int frame_ms) {
  const auto deadline = platform::Deadline::after_ms(frame_ms);
  RequestRead read;
  char plain_start[service::kFramePlainSize];
  read.status = read_exact(fd, plain_start, sizeof plain_start, deadline);
  if (read.status != ReadStatus::Ok) return read;
  std::optional<size_t> length = service::frame_body_length(std::string_view(plain_start, sizeof plain_start));
  if (!length) {
    read.status = ReadStatus::Malformed;
    return read;
  }
  if (*length - 2 > max_body) {
    read.status = ReadStatus::TooLong;
    return read;
  }
  std::string body(*length, '\0');
  read.status = read_exact(fd, body.data(), body.size(), deadline);
  if (read.status != ReadStatus::Ok) return read;
  read.frame = *service::read_frame_body(body);
  return read;
}

const char* read_status_text(ReadStatus status) {
  switch (status) {
    case ReadStatus::Ok: return "ok";
    case ReadStatus::Closed: return "closed";
    case ReadStatus::Malformed: return "malformed frame";
    case ReadStatus::TooLong: return "frame too long";
    case ReadStatus::TimedOut: return "frame incomplete (time-out or socket error)";
  }
  return "";
}

}  // namespace dovel::central
