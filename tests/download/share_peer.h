#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "server/local_server.h"
#include "support/share_server_home.h"

namespace dovel::download::test {

// A running client as far as sharing goes: its own data home, settings,
// databases and a logged-in user, and its share server listening on its own
// loopback address. Files are shared on demand under the share "public".
class SharePeer : public dovel::test::ShareServerHome {
 public:
  SharePeer(platform::Ipv4 address, const std::string& user_id);
  ~SharePeer();

  // Writes `content` as public/folder/name and records it as shared; its FileHash.
  std::string share_file(const std::string& folder, const std::string& name, const std::string& content) {
    return ShareServerHome::share_file(0, folder, name, content);
  }

  platform::Ipv4 address() const { return context.bind_address; }
  uint16_t port() const { return server->port(); }
  std::filesystem::path home() const { return folder; }

  std::unique_ptr<server::LocalServer> server;
};

}  // namespace dovel::download::test
