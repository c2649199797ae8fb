#include "service/port_test_messages.h"

#include <cstring>

#include "util/little_endian.h"

namespace dovel::service {

std::string build_port_test_request(const PortTestRequest& request) {
  std::string payload(1, static_cast<char>(request.kind));
  util::append_u16(payload, request.port);
  util::append_u32(payload, request.tick);
  return payload;
}

std::optional<PortTestRequest> parse_port_test_request(std::string_view payload) {
  if (payload.size() != 7 || static_cast<uint8_t>(payload[0]) > 1) return std::nullopt;
  return PortTestRequest{static_cast<PortTestKind>(payload[0]), util::read_u16(payload.data() + 1), util::read_u32(payload.data() + 3)};
}

std::string build_port_test_reply(const PortTestReply& reply) {
  std::string bytes;
  util::append_u32(bytes, reply.code);
  bytes += '\0';
  std::string address(4, '\0');
  std::memcpy(address.data(), &reply.address, 4);
  bytes += address;
  bytes.resize(kPortTestReplySize, '\0');
  return bytes;
}

std::optional<PortTestReply> parse_port_test_reply(std::string_view reply) {
  if (reply.size() != kPortTestReplySize) return std::nullopt;
  PortTestReply parsed;
  parsed.code = util::read_u32(reply.data());
  std::memcpy(&parsed.address, reply.data() + 5, 4);
  return parsed;
}

}  // namespace dovel::service
