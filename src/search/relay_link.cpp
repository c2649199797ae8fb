#include "search/relay_link.h"

#include "platform/deadline.h"
#include "search/service_link.h"
#include "service/frame.h"
#include "service/relay_messages.h"
#include "service/service_socket.h"
#include "util/little_endian.h"

namespace dovel::search {
namespace {

constexpr size_t kTicketSize = 2;
// Between results the connection may stay quiet as long as the search runs;
// the stop flag is looked at this often besides the wake-up of the shutdown.
constexpr int kIdleWaitMs = 1000;
// A frame once begun must be complete within this.
constexpr int kWholeFrameMs = 10000;

bool has_valid_check_byte(std::string_view datagram) {
  return datagram.size() >= 2 && static_cast<uint8_t>(datagram[0]) == service::search_check_byte(static_cast<uint8_t>(datagram[1]));
}

}  // namespace

RelayLink::RelayLink(std::unique_ptr<platform::WatchedSocket> socket, platform::StopSignal& stop, service::Endpoint relay, uint16_t ticket)
    : socket_(std::move(socket)), stop_(stop), relay_(relay), ticket_(ticket) {}

std::unique_ptr<RelayLink> RelayLink::open(const service::ServiceEndpoints& endpoints, size_t index, platform::Ipv4 own_address,
                                           uint32_t own_share_port, platform::StopSignal& stop) {
  if (index >= endpoints.relay.size()) return nullptr;
  const service::Endpoint relay = endpoints.relay[index];
  std::unique_ptr<platform::WatchedSocket> socket = connect_search_service(endpoints, relay, stop);
  if (!socket) return nullptr;
  if (service::send_frame(socket->get(), service::kRelayTicketType, service::build_ticket_request(own_address, own_share_port)) < 0) {
    return nullptr;
  }
  uint8_t answer[kTicketSize];
  if (service::receive_exact(socket->get(), answer, sizeof answer, kServiceWaitMs, platform::Deadline::after_ms(kServiceWaitMs)) !=
      static_cast<int>(sizeof answer)) {
    return nullptr;
  }
  const uint16_t ticket = util::read_u16(answer);
  // A zero ticket would make a searcher key that no relay forwards.
  if (ticket == 0) return nullptr;
  return std::unique_ptr<RelayLink>(new RelayLink(std::move(socket), stop, relay, ticket));
}

void RelayLink::receive(const std::function<void(std::string)>& deliver) {
  const int fd = socket_->get();
  while (!stop_.stopped()) {
    const platform::WaitResult ready = platform::wait_readable(fd, kIdleWaitMs);
    if (ready == platform::WaitResult::Timeout) continue;
    if (ready != platform::WaitResult::Ready) return;
    const platform::Deadline deadline = platform::Deadline::after_ms(kWholeFrameMs);
    uint8_t prefix[2];
    if (service::receive_exact(fd, prefix, sizeof prefix, kServiceWaitMs, deadline) != static_cast<int>(sizeof prefix)) return;
    const uint16_t length = util::read_u16(prefix);
    if (length < service::kMinRelayedLength || length > service::kMaxRelayedLength) return;
    std::string frame(length, '\0');
    if (service::receive_exact(fd, frame.data(), frame.size(), kServiceWaitMs, deadline) != static_cast<int>(frame.size())) return;
    if (util::read_u16(frame.data()) != service::kRelayedResultType) continue;
    std::string datagram = frame.substr(2);
    if (has_valid_check_byte(datagram)) deliver(std::move(datagram));
  }
}

}  // namespace dovel::search
