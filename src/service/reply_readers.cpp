#include "service/reply_readers.h"

#include "service/frame.h"
#include "service/service_socket.h"
#include "util/little_endian.h"

namespace dovel::service {
namespace {

bool read_into(int fd, void* buffer, size_t count, const ReplyTiming& timing) {
  return receive_exact(fd, buffer, count, timing.read_timeout_ms, timing.deadline) == static_cast<int>(count);
}

std::optional<std::string> read_body(int fd, size_t length, const ReplyTiming& timing) {
  std::string body(length, '\0');
  if (length > 0 && !read_into(fd, body.data(), length, timing)) return std::nullopt;
  return body;
}

}  // namespace

std::optional<std::string> read_short_prefixed_reply(int fd, const ReplyTiming& timing) {
  uint8_t prefix[2];
  if (!read_into(fd, prefix, sizeof prefix, timing)) return std::nullopt;
  uint16_t length = util::read_u16(prefix);
  if (length < 1 || length > kMaxShortReply) return std::nullopt;
  return read_body(fd, length, timing);
}

std::optional<std::string> read_long_prefixed_reply(int fd, uint32_t max_length, const ReplyTiming& timing) {
  uint8_t prefix[4];
  if (!read_into(fd, prefix, sizeof prefix, timing)) return std::nullopt;
  uint32_t length = util::read_u32(prefix);
  if (length < 1 || length > max_length) return std::nullopt;
  return read_body(fd, length, timing);
}

std::optional<TypedReply> read_typed_reply(int fd, const ReplyTiming& timing) {
  uint8_t header[4];
  if (!read_into(fd, header, sizeof header, timing)) return std::nullopt;
  uint16_t length = util::read_u16(header);
  if (length < 2) return std::nullopt;
  auto body = read_body(fd, length - 2u, timing);
  if (!body) return std::nullopt;
  return TypedReply{util::read_u16(header + 2), std::move(*body)};
}

std::optional<std::string> read_fixed_reply(int fd, size_t count, const ReplyTiming& timing) { return read_body(fd, count, timing); }

}  // namespace dovel::service
