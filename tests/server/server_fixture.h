#pragma once

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/local_databases.h"
#include "core/transfer_meter.h"
#include "server/local_server.h"
#include "server/share_server_context.h"
#include "server/share_server_settings.h"
#include "server/test_peer.h"
#include "server/upload_monitor.h"
#include "service/service_session.h"
#include "service/user_list_store.h"
#include "settings/live_settings.h"
#include "share/archive_check.h"
#include "share/hash_runner.h"
#include "share/hash_settings.h"
#include "support/defaults_on_load.h"
#include "support/recording_target.h"
#include "support/temp_folder.h"
#include "util/log_files.h"

namespace dovel::server {

// A share server of its own on 127.0.0.1 with a data home, shares made on
// demand, a logged-in owner "owner" and empty friend and block lists.
class ShareServerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    util::ConfigureLogFiles(temp.path(), platform::system_clock());
    ASSERT_FALSE(app::open_local_databases(temp.path(), databases));
    dovel::test::load_defaults(settings);
    settings.server_usable = true;
    session.set_identity({"owner", 5, "주인장", "tokenA", "tokenB"});
    context.settings = &server_settings;
    context.program_folder = temp.path();
    context.database_file = temp / "DovelData.dat";
    context.session = &session;
    context.friends = &friends;
    context.blocks = &blocks;
    context.hashing = &hashing;
    context.archive = &archive;
    context.meter = &meter;
    context.monitor = &monitor;
    context.bind_address = *platform::parse_ipv4("127.0.0.1");
  }
  void TearDown() override {
    server.reset();
    util::ConfigureLogFiles(temp.path(), platform::system_clock());
  }

  std::filesystem::path share_folder(const std::string& name) const { return temp / ("shares/" + name); }

  void set_shares(const std::vector<std::pair<std::string, uint32_t>>& shares) {
    std::vector<settings::SharedFolder> folders;
    for (const auto& [name, flags] : shares) {
      std::filesystem::create_directories(share_folder(name));
      folders.push_back({name, share_folder(name).string(), flags});
    }
    ASSERT_TRUE(settings.set_shared_folders(folders));
  }

  // Starts a server whose data connections run `runner` (by default one that
  // answers and waits for the connection to end).
  void start_server(DataConnectionRunner runner = {}, PendingLimits limits = {}) {
    if (!runner) runner = hold_data_connection;
    server = std::make_unique<LocalServer>(context, runner, limits);
    ASSERT_TRUE(server->start_share_server(0));
  }

  // A control connection past its greeting.
  test::TestPeer browse() {
    auto peer = test::TestPeer::connect(server->port(), wire::kControlKind);
    EXPECT_TRUE(peer);
    EXPECT_EQ(peer->read_control_answer(), std::string("OKKK\x0b", 5));
    EXPECT_EQ(peer->read_greeting().size(), 4u);
    return std::move(*peer);
  }

  // Sends a request and returns the next frame.
  static std::string ask(test::TestPeer& peer, std::string_view request) {
    EXPECT_TRUE(peer.send_frame(request));
    return peer.read_frame().value_or("<none>");
  }

  static void hold_data_connection(ShareServerContext&, DataConnectionList& list, std::shared_ptr<DataConnection> connection) {
    connection->socket->send_raw(std::string("\x01\x00", 2));
    char byte;
    while (connection->running && ::recv(connection->socket->fd(), &byte, 1, 0) > 0) {
    }
    list.remove(connection->id);
  }

  test::TempFolder temp;
  settings::LiveSettings settings;
  ShareServerSettings server_settings{settings};
  share::HashSettings hash_settings{settings};
  app::LocalDatabases databases;
  service::ServiceSession session;
  service::UserListStore friends{"buddy"};
  service::UserListStore blocks{"black"};
  test::RecordingTarget hash_done;
  share::HashRunner hashing{{&hash_settings, temp / "DovelData.dat", &platform::system_clock(), nullptr, &hash_done, {}}};
  share::NoArchiveCheck archive;
  core::TransferMeter meter;
  UploadMonitor monitor{server_settings};
  ShareServerContext context;
  std::unique_ptr<LocalServer> server;
};

}  // namespace dovel::server
