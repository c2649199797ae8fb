#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "app/local_databases.h"
#include "core/transfer_meter.h"
#include "server/local_server.h"
#include "server/share_server_context.h"
#include "server/share_server_settings.h"
#include "server/upload_monitor.h"
#include "service/service_session.h"
#include "service/user_list_store.h"
#include "settings/live_settings.h"
#include "share/archive_check.h"
#include "share/hash_runner.h"
#include "share/hash_settings.h"
#include "support/recording_target.h"
#include "support/temp_folder.h"

namespace dovel::download::test {

// A running client as far as sharing goes: its own data home, settings,
// databases and a logged-in user, and its share server listening on its own
// loopback address. Files are shared on demand under the share "public".
class SharePeer {
 public:
  SharePeer(platform::Ipv4 address, const std::string& user_id);
  ~SharePeer();
  SharePeer(const SharePeer&) = delete;
  SharePeer& operator=(const SharePeer&) = delete;

  // Writes `content` as public/folder/name and records it as shared; its FileHash.
  std::string share_file(const std::string& folder, const std::string& name, const std::string& content);

  platform::Ipv4 address() const { return context.bind_address; }
  uint16_t port() const { return server->port(); }
  std::filesystem::path home() const { return temp.path(); }

  dovel::test::TempFolder temp;
  settings::LiveSettings settings;
  server::ShareServerSettings server_settings{settings};
  share::HashSettings hash_settings{settings};
  app::LocalDatabases databases;
  service::ServiceSession session;
  service::UserListStore friends{"buddy"};
  service::UserListStore blocks{"black"};
  dovel::test::RecordingTarget hash_done;
  share::HashRunner hashing{{&hash_settings, temp / "DovelData.dat", &platform::system_clock(), nullptr, &hash_done, {}}};
  share::NoArchiveCheck archive;
  core::TransferMeter meter;
  server::UploadMonitor monitor{server_settings};
  server::ShareServerContext context;
  std::unique_ptr<server::LocalServer> server;
};

}  // namespace dovel::download::test
