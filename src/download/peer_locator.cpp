#include "download/peer_locator.h"

#include "service/server_directory.h"

namespace dovel::download {

std::optional<Source> ServiceLocator::locate(const std::string& peer_id) {
  if (peer_id.empty()) return std::nullopt;
  std::optional<service::ServerAddress> found = service::lookup_address(endpoints_, peer_id, 0);
  if (!found) return std::nullopt;
  return Source{found->address, found->port, peer_id};
}

}  // namespace dovel::download
