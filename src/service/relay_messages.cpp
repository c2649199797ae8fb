#include "service/relay_messages.h"

#include <cstring>

#include "util/little_endian.h"

namespace dovel::service {

std::string build_ticket_request(platform::Ipv4 address, uint32_t share_port) {
  std::string payload(4, '\0');
  std::memcpy(payload.data(), &address, 4);
  util::append_u32(payload, share_port);
  return payload;
}

std::optional<TicketRequest> parse_ticket_request(std::string_view payload) {
  if (payload.size() != 8) return std::nullopt;
  TicketRequest request;
  std::memcpy(&request.address, payload.data(), 4);
  request.share_port = util::read_u32(payload.data() + 4);
  return request;
}

std::string build_relayed_result(std::string_view datagram) {
  std::string frame;
  util::append_u16(frame, static_cast<uint16_t>(datagram.size() + 2));
  util::append_u16(frame, kRelayedResultType);
  frame.append(datagram);
  return frame;
}

std::string searcher_key_of_ticket(uint16_t ticket) {
  std::string key;
  util::append_u64(key, static_cast<uint64_t>(static_cast<int64_t>(static_cast<int16_t>(ticket))));
  return key;
}

std::optional<uint16_t> ticket_of_searcher_key(std::string_view key) {
  if (key.size() != 8) return std::nullopt;
  const auto value = static_cast<int64_t>(util::read_u64(key.data()));
  if (value == 0 || value < INT16_MIN || value > INT16_MAX) return std::nullopt;
  return static_cast<uint16_t>(static_cast<int16_t>(value));
}

}  // namespace dovel::service
