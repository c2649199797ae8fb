#pragma once

#include <optional>

#include "platform/socket.h"
#include "service/endpoints.h"

namespace dovel::server {

// The private ranges 10.0.0.0/8, 172.16.0.0/12 and 192.168.0.0/16 (address in
// network order). Such a source says nothing about where a peer is reachable.
bool is_private_address(platform::Ipv4 address);

// A host of the service (any address its endpoints name); only these may ask
// for the friend and block lists to be synchronised.
bool is_service_host(const service::ServiceEndpoints& endpoints, platform::Ipv4 address);

// Where the results of a query go. A query names a reply address and port; it is
// followed only when it leads back to the sender (the query's source address, at
// the port the query names) or to one of the service's relays (exactly a relay
// endpoint's address and port). Anything else gets no answer, so that a forged
// source cannot turn this server's answers on a third host.
std::optional<service::Endpoint> reply_destination(const service::ServiceEndpoints& endpoints, platform::Ipv4 source,
                                                   service::Endpoint reply);

}  // namespace dovel::server
