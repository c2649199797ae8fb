#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/stop_signal.h"
#include "service/endpoints.h"

namespace dovel::search {

// The connection to a relay of the service, for a search whose own share server
// cannot be reached: the relay gives a ticket, the queries carry it as the
// searcher key and name the relay as the reply address, and the relay forwards
// each result datagram on this connection.
class RelayLink {
 public:
  // Connects to relay `index` (0 or 1) and asks for a ticket with frame '3'
  // carrying the searcher's address and share port; the 2-byte ticket must come
  // within 5000 ms. nullptr when any of it fails.
  static std::unique_ptr<RelayLink> open(const service::ServiceEndpoints& endpoints, size_t index, platform::Ipv4 own_address,
                                         uint32_t own_share_port, platform::StopSignal& stop);

  uint16_t ticket() const { return ticket_; }
  const service::Endpoint& relay() const { return relay_; }

  // Reads forwarded results (u16 length 3..5120, u16 type 51, the datagram) and
  // hands every datagram with a valid check byte to `deliver`, until the relay
  // ends the connection, sends something out of step, or the search stops
  // (which shuts the connection down). Frames of another type are skipped.
  void receive(const std::function<void(std::string)>& deliver);

 private:
  RelayLink(std::unique_ptr<platform::WatchedSocket> socket, platform::StopSignal& stop, service::Endpoint relay, uint16_t ticket);

  std::unique_ptr<platform::WatchedSocket> socket_;
  platform::StopSignal& stop_;
  service::Endpoint relay_;
  uint16_t ticket_ = 0;
};

}  // namespace dovel::search
