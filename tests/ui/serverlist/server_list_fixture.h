#pragma once

#include <QCoreApplication>

#include <string>
#include <vector>

#include "platform/socket.h"
#include "service/server_directory.h"
#include "ui/mainframe/gui_wait.h"
#include "support/memory_window_values.h"
#include "ui/serverlist/server_list_commands.h"

namespace dovel::ui::test {

struct ServerSpec {
  std::string user_id;
  std::string title;
  std::string address = "10.0.0.1";
  uint16_t port = 9910;
  uint8_t lock = 0;
  uint32_t opened_key = 0;
  uint32_t shared_mib = 0;
  uint32_t files = 0;
  uint32_t peak = 0;
};

inline service::ListedServer listed(const ServerSpec& spec) {
  service::ListedServer server;
  server.user_id = spec.user_id;
  server.title = spec.title;
  server.address = *platform::parse_ipv4(spec.address);
  server.port = spec.port;
  server.lock = spec.lock;
  server.opened_key = spec.opened_key;
  server.opened_minute = static_cast<uint8_t>(spec.opened_key & 0xFF);
  server.opened_hour = static_cast<uint8_t>((spec.opened_key >> 8) & 0xFF);
  server.opened_day = static_cast<uint8_t>((spec.opened_key >> 16) & 0xFF);
  server.opened_month = static_cast<uint8_t>((spec.opened_key >> 24) & 0x0F);
  server.shared_mib = spec.shared_mib;
  server.shared_files = spec.files;
  server.peak_speed = spec.peak;
  return server;
}

inline std::vector<service::ListedServer> listed(const std::vector<ServerSpec>& specs) {
  std::vector<service::ListedServer> servers;
  for (const ServerSpec& spec : specs) servers.push_back(listed(spec));
  return servers;
}

struct Explored {
  std::string address;
  uint16_t port = 0;
  std::string owner_id;
  bool operator==(const Explored&) const = default;
};

// Commands that record what the windows ask for, over settings kept in maps.
struct RecordingCommands {
  ServerListCommands commands(bool with_favorites = true) {
    ServerListCommands made;
    made.refresh = [this] { ++refreshes; };
    made.explore = [this](const std::string& address, uint16_t port, const std::string& owner_id) {
      explored.push_back({address, port, owner_id});
    };
    if (with_favorites) {
      made.add_favorite = [this](const std::string& owner_id, const std::string& title) { favorites.push_back(owner_id + "|" + title); };
    }
    made.own_id = [this] { return own_id; };
    made.share_port = [this] { return share_port; };
    made.share_server_running = [this] { return share_server_running; };
    made.registered_channel = [this] { return registered_channel; };
    made.privileged = [this] { return privileged; };
    made.log_status = [this](const std::string& line) { log.push_back(line); };
    made.values = &stored;
    made.show_view = [this](int view) { views.push_back(view); };
    return made;
  }

  int refreshes = 0;
  std::vector<Explored> explored;
  std::vector<std::string> favorites;
  std::string own_id = "me";
  uint16_t share_port = 9911;
  bool share_server_running = true;
  int registered_channel = -1;
  bool privileged = false;
  std::vector<std::string> log;
  dovel::test::MemoryWindowValues stored;
  std::vector<int> views;
};

}  // namespace dovel::ui::test
