#include "central/search_relay.h"

#include "service/frame.h"
#include "service/relay_messages.h"
#include "util/little_endian.h"
#include "wire/search_datagram.h"

namespace dovel::central {
namespace {

constexpr size_t kMaxForwardedDatagram = service::kMaxRelayedLength - 2;
constexpr size_t kSearcherKeyOffset = 10;

// The ticket a datagram is meant for, or why it is dropped.
std::optional<uint16_t> ticket_of(std::string_view datagram, const char*& problem) {
  if (datagram.size() > kMaxForwardedDatagram) {
    problem = "dropped, too long";
    return std::nullopt;
  }
  if (datagram.size() < wire::kResultHeaderSize || static_cast<uint8_t>(datagram[1]) != wire::kResultDatagram ||
      static_cast<uint8_t>(datagram[0]) != service::search_check_byte(wire::kResultDatagram)) {
    problem = "dropped, not a result datagram";
    return std::nullopt;
  }
  std::optional<uint16_t> ticket = service::ticket_of_searcher_key(datagram.substr(kSearcherKeyOffset, 8));
  if (!ticket) problem = "dropped, searcher key is no ticket";
  return ticket;
}

}  // namespace

ConnectionHandler::Next RelayHandler::on_frame(Connection& connection, const service::Frame& frame) {
  if (frame.type != service::kRelayTicketType) {
    connection.log("type " + std::to_string(frame.type), "ignored");
    return Next::Continue;
  }
  std::optional<service::TicketRequest> request = service::parse_ticket_request(frame.payload);
  if (!request) {
    connection.log("ticket", "malformed, closed");
    return Next::Close;
  }
  if (!ticket_) ticket_ = tickets_.issue(connection.outbox());
  if (!ticket_) {
    connection.log("ticket", "none left, closed");
    return Next::Close;
  }
  std::string answer;
  util::append_u16(answer, *ticket_);
  connection.log("ticket", std::to_string(*ticket_) + " for " + platform::format_ipv4(request->address) + ":" + std::to_string(request->share_port));
  connection.send(answer);
  return Next::Continue;
}

void RelayHandler::on_end(Connection& connection) {
  if (!ticket_) return;
  tickets_.release(*ticket_);
  connection.log("ticket", "released " + std::to_string(*ticket_));
}

void forward_result_datagram(RelayTickets& tickets, std::string_view datagram, const service::Endpoint& from, RequestLog& log,
                             std::string_view role) {
  const std::string peer = platform::format_ipv4(from.address) + ":" + std::to_string(from.port);
  const char* problem = "";
  std::optional<uint16_t> ticket = ticket_of(datagram, problem);
  if (!ticket) return log.write(role, peer, "result", problem);
  switch (tickets.forward(*ticket, service::build_relayed_result(datagram))) {
    case RelayTickets::Forward::Queued: return log.write(role, peer, "result", "forwarded to ticket " + std::to_string(*ticket));
    case RelayTickets::Forward::UnknownTicket: return log.write(role, peer, "result", "dropped, unknown ticket " + std::to_string(*ticket));
    case RelayTickets::Forward::ClientBehind: return log.write(role, peer, "result", "dropped, client behind");
  }
}

}  // namespace dovel::central
