#include "central/relay_tickets.h"

namespace dovel::central {

std::optional<uint16_t> RelayTickets::issue(std::shared_ptr<Outbox> connection) {
  std::lock_guard guard(lock_);
  if (tickets_.size() >= 0xFFFF) return std::nullopt;
  // Start anywhere, so that tickets do not tell how many searches ran.
  auto ticket = static_cast<uint16_t>(random_());
  while (ticket == 0 || tickets_.count(ticket) != 0) ++ticket;
  tickets_.emplace(ticket, std::move(connection));
  return ticket;
}

void RelayTickets::release(uint16_t ticket) {
  std::lock_guard guard(lock_);
  tickets_.erase(ticket);
}

RelayTickets::Forward RelayTickets::forward(uint16_t ticket, std::string frame) {
  std::lock_guard guard(lock_);
  auto found = tickets_.find(ticket);
  if (found == tickets_.end()) return Forward::UnknownTicket;
  return found->second->post(std::move(frame)) ? Forward::Queued : Forward::ClientBehind;
}

}  // namespace dovel::central
