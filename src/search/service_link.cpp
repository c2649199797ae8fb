#include "search/service_link.h"

#include <netinet/in.h>
#include <sys/socket.h>

namespace dovel::search {

std::unique_ptr<platform::WatchedSocket> connect_search_service(const service::ServiceEndpoints& endpoints, const service::Endpoint& to,
                                                      platform::StopSignal& stop) {
  auto socket = std::make_unique<platform::WatchedSocket>(stop, platform::create_tcp_socket());
  if (!socket->valid()) return nullptr;
  if (endpoints.bind_address != 0) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = endpoints.bind_address;
    if (::bind(socket->get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) return nullptr;
  }
  // Watched before the connect, so that a stop also ends the wait for it.
  if (!platform::connect_tcp(socket->get(), to.address, to.port, kServiceWaitMs) || stop.stopped()) return nullptr;
  return socket;
}

}  // namespace dovel::search
