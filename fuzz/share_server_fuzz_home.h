#pragma once

// A small data home shared by the share-server fuzz targets: four shares (open,
// adult, friend-only, secret) with a few files, settings, databases and an
// owner, made once per process below the temporary folder.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/local_databases.h"
#include "core/transfer_meter.h"
#include "server/share_server_context.h"
#include "server/share_server_settings.h"
#include "server/upload_monitor.h"
#include "service/service_session.h"
#include "service/user_list_store.h"
#include "settings/live_settings.h"
#include "share/archive_check.h"
#include "share/hash_service.h"

namespace dovel::fuzz {

struct ShareServerHome {
  ShareServerHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "dovel-fuzz-XXXXXX").string();
    folder = ::mkdtemp(pattern.data());
    auto write = [this](const std::string& name, const std::string& content) {
      std::filesystem::create_directories((folder / name).parent_path());
      std::ofstream(folder / name) << content;
    };
    write("shares/Public/a.txt", "abc");
    write("shares/Public/sub/b.bin", "bb");
    write("shares/Adult/x.txt", "x");
    write("shares/Friends/f.txt", "f");
    write("shares/Secret/s.txt", "s");
    settings.set_shared_folders({{"Public", (folder / "shares/Public").string(), settings::SHARE_READ},
                                  {"Adult", (folder / "shares/Adult").string(), settings::SHARE_READ | settings::SHARE_ADULT},
                                  {"Friends", (folder / "shares/Friends").string(), settings::SHARE_READ | settings::SHARE_FRIEND},
                                  {"Secret", (folder / "shares/Secret").string(), settings::SHARE_READ | settings::SHARE_SECRET}});
    settings.update([](settings::StoredSettings& values) { values.folder_pass = "pw"; });
    settings.server_usable = true;
    app::open_local_databases(folder, databases);
    session.set_identity({"owner", 5, "label", "tokenA", "tokenB"});
    friends.set_entries({{"pal", ""}});
    context.settings = &server_settings;
    context.program_folder = folder;
    context.database_file = folder / "DovelData.dat";
    context.session = &session;
    context.friends = &friends;
    context.blocks = &blocks;
    context.hashing = &hashing;
    context.archive = &archive;
    context.meter = &meter;
    context.monitor = &monitor;
  }
  // The home goes with the process, so that runs leave nothing in the temporary folder.
  ~ShareServerHome() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  ShareServerHome(const ShareServerHome&) = delete;
  ShareServerHome& operator=(const ShareServerHome&) = delete;

  std::filesystem::path folder;
  settings::LiveSettings settings;
  server::ShareServerSettings server_settings{settings};
  app::LocalDatabases databases;
  service::ServiceSession session;
  service::UserListStore friends{"buddy"};
  service::UserListStore blocks{"black"};
  share::IdleHashing hashing;
  share::NoArchiveCheck archive;
  core::TransferMeter meter;
  server::UploadMonitor monitor{server_settings};
  server::ShareServerContext context;
};

inline ShareServerHome& share_server_home() {
  static ShareServerHome home;
  return home;
}

}  // namespace dovel::fuzz
