#pragma once

#include <optional>
#include <string_view>

#include "central/connection_handler.h"
#include "central/relay_tickets.h"
#include "central/request_log.h"
#include "service/endpoints.h"

namespace dovel::central {

// The relay's TCP side of one connection: the ticket request, answered with the
// ticket; afterwards the connection carries the results forwarded to that ticket
// (through its outbox) until the client closes it.
class RelayHandler final : public ConnectionHandler {
 public:
  explicit RelayHandler(RelayTickets& tickets) : tickets_(tickets) {}

  Next on_frame(Connection& connection, const service::Frame& frame) override;
  void on_end(Connection& connection) override;
  size_t max_payload() const override { return 64; }
  bool holds_state() const override { return ticket_.has_value(); }

 private:
  RelayTickets& tickets_;
  std::optional<uint16_t> ticket_;
};

// The relay's UDP side: a result datagram whose searcher key is a live ticket
// goes to that ticket's connection as a type-51 frame; anything else is dropped.
void forward_result_datagram(RelayTickets& tickets, std::string_view datagram, const service::Endpoint& from, RequestLog& log,
                             std::string_view role);

}  // namespace dovel::central
