#include "server/search_addresses.h"

#include <arpa/inet.h>

#include <algorithm>

namespace dovel::server {
namespace {

bool in_block(platform::Ipv4 address, uint32_t network, int prefix) {
  const uint32_t mask = ~uint32_t{0} << (32 - prefix);
  return (ntohl(address) & mask) == network;
}

template <size_t N>
bool names(const std::array<service::Endpoint, N>& endpoints, platform::Ipv4 address) {
  return std::any_of(endpoints.begin(), endpoints.end(), [&](const service::Endpoint& endpoint) { return endpoint.address == address; });
}

}  // namespace

bool is_private_address(platform::Ipv4 address) {
  return in_block(address, 0x0A000000, 8) || in_block(address, 0xAC100000, 12) || in_block(address, 0xC0A80000, 16);
}

bool is_service_host(const service::ServiceEndpoints& endpoints, platform::Ipv4 address) {
  if (address == 0) return false;
  return endpoints.authentication.address == address || names(endpoints.registration, address) || names(endpoints.file_index, address) ||
         names(endpoints.source_lookup, address) || names(endpoints.relay, address) || names(endpoints.port_test, address) ||
         names(endpoints.point, address) || names(endpoints.report, address);
}

std::optional<service::Endpoint> reply_destination(const service::ServiceEndpoints& endpoints, platform::Ipv4 source,
                                                   service::Endpoint reply) {
  if (reply.address == 0 || reply.port == 0) return std::nullopt;
  for (const service::Endpoint& relay : endpoints.relay) {
    if (relay.address != 0 && relay == reply) return relay;
  }
  if (reply.address == source) return reply;
  return std::nullopt;
}

}  // namespace dovel::server
