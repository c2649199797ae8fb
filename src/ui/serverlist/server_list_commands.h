#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "browse/server_info_query.h"
#include "settings/window_values.h"

namespace dovel::ui {

// Asks a share server for its status; blocking, so the windows run it off the GUI thread.
using ServerInfoQuery = std::function<std::optional<browse::ServerInfo>(const std::string& address, uint16_t port)>;

// What the server-list windows read and do. A command left empty is not
// there: its button, link or menu item is disabled.
struct ServerListCommands {
  // Asks the service for new lists of all channels; they come back through CServerListDialog::show_lists.
  std::function<void()> refresh;
  // Opens a server in the remote-browse window with origin 1 (back to the server list); for
  // the user's own server the address is "127.0.0.1" and the port the share port.
  std::function<void(const std::string& address, uint16_t port, const std::string& owner_id)> explore;
  // Adds a listed server's owner to the favorites.
  std::function<void(const std::string& owner_id, const std::string& title)> add_favorite;
  // The side channel's status question ("서버정보").
  ServerInfoQuery server_info;
  // The user's ID, the share port and whether the share server runs: the own-server rule of "탐색".
  std::function<std::string()> own_id;
  std::function<uint16_t()> share_port;
  std::function<bool()> share_server_running;
  // The channel this copy is registered with (-1: none); the list shows it first.
  std::function<int()> registered_channel;
  // Whether the user has privilege_a or privilege_b: offers the search by owner ID.
  std::function<bool()> privileged;
  // A line in the status log.
  std::function<void(const std::string& line)> log_status;
  // Where the list keeps its sort choice and the search box its mode (none: their defaults).
  settings::WindowValues* values = nullptr;
  // Switches the main window's view (kViewBrowse after "탐색").
  std::function<void(int view)> show_view;
};

}  // namespace dovel::ui
