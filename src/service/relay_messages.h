#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/socket.h"

namespace dovel::service {

inline constexpr uint16_t kRelayTicketType = '3';
inline constexpr uint16_t kRelayedResultType = 51;
inline constexpr size_t kMinRelayedLength = 3;
inline constexpr size_t kMaxRelayedLength = 5120;

// The relay's ticket request: the searcher's address and share port.
std::string build_ticket_request(platform::Ipv4 address, uint32_t share_port);
struct TicketRequest {
  platform::Ipv4 address = 0;
  uint32_t share_port = 0;
};
std::optional<TicketRequest> parse_ticket_request(std::string_view payload);

// One forwarded result on the relay connection: u16 length, u16 51, the datagram.
std::string build_relayed_result(std::string_view datagram);

// The searcher key of a search through the relay: the ticket sign-extended to 8 bytes.
std::string searcher_key_of_ticket(uint16_t ticket);
// The ticket of such a key (8 bytes); nullopt for any other key, ticket 0 included.
std::optional<uint16_t> ticket_of_searcher_key(std::string_view key);

}  // namespace dovel::service
