#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/local_databases.h"
#include "core/transfer_meter.h"
#include "platform/clock.h"
#include "platform/socket.h"
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

namespace dovel::test {

// A share of the home by name and flags; its folder is made below the home.
struct HomeShare {
  std::string name;
  uint32_t flags = 0;
};

struct ShareServerOptions {
  // The address the server listens on.
  platform::Ipv4 bind_address = *platform::parse_ipv4("127.0.0.1");
  const platform::Clock* clock = &platform::system_clock();
  // The logged-in user who owns the shares.
  service::SessionIdentity owner{"owner", 5, "주인장", "tokenA", "tokenB"};
  std::vector<HomeShare> shares{};
  // Another hashing service in place of the home's own runner.
  share::HashService* hashing = nullptr;
  // Another archive check in place of one that allows every archive.
  share::ArchiveChecker* archive = nullptr;
  // A data home kept after the run (its databases reused); empty: the temporary folder.
  std::filesystem::path folder{};
};

// What a share server runs on, as a running client has it: a data home with its
// databases, the settings as a load leaves them on an empty store, a logged-in
// owner, empty friend and block lists, a hashing runner and the context that
// joins them. Starting a server on it is the caller's part.
class ShareServerHome {
 public:
  explicit ShareServerHome(ShareServerOptions options = {});
  ShareServerHome(const ShareServerHome&) = delete;
  ShareServerHome& operator=(const ShareServerHome&) = delete;

  // The folder of the share `name`, below the data home.
  std::filesystem::path share_folder(std::string_view name) const;
  // Replaces the shared folders, making each one's folder; false when the settings refuse them.
  bool set_shares(const std::vector<HomeShare>& shares);
  // Writes `content` as `folder`/`name` in the share at `index`, records it as
  // shared the way a hashing run would, and returns its FileHash.
  std::string share_file(settings::ShareIndex index, const std::string& folder, const std::string& name, std::string_view content);

  TempFolder temp;
  const std::filesystem::path folder;  // the data home: temp unless the options name one
  settings::LiveSettings settings;
  server::ShareServerSettings server_settings{settings};
  share::HashSettings hash_settings{settings};
  app::LocalDatabases databases;
  service::ServiceSession session;
  service::UserListStore friends{"buddy"};
  service::UserListStore blocks{"black"};
  RecordingTarget hash_done;
  share::HashRunner hashing{{&hash_settings, folder / "DovelData.dat", &platform::system_clock(), nullptr, &hash_done, {}}};
  share::NoArchiveCheck no_archive_check;
  core::TransferMeter meter;
  server::UploadMonitor monitor{server_settings};
  server::ShareServerContext context;
};

}  // namespace dovel::test
