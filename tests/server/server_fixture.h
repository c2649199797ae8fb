#pragma once

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "server/local_server.h"
#include "server/test_peer.h"
#include "support/share_server_home.h"
#include "util/log_files.h"

namespace dovel::server {

// A share server of its own on 127.0.0.1 with a data home, shares made on
// demand, a logged-in owner "owner" and empty friend and block lists.
class ShareServerFixture : public ::testing::Test, protected dovel::test::ShareServerHome {
 protected:
  void SetUp() override { util::ConfigureLogFiles(temp.path(), platform::system_clock()); }
  void TearDown() override {
    server.reset();
    util::ConfigureLogFiles(temp.path(), platform::system_clock());
  }

  void set_shares(const std::vector<dovel::test::HomeShare>& shares) { ASSERT_TRUE(ShareServerHome::set_shares(shares)); }

  // Starts a server whose data connections run `runner` (by default one that
  // answers and waits for the connection to end).
  void start_server(DataConnectionRunner runner = {}, PendingLimits limits = {}) {
    if (!runner) runner = hold_data_connection;
    server = std::make_unique<LocalServer>(context, runner, limits);
    ASSERT_TRUE(server->start_share_server(0));
  }

  // A control connection past its greeting, from `source` (127.0.0.1 when empty).
  test::TestPeer browse(std::string_view source = {}) {
    auto peer = test::TestPeer::connect(server->port(), wire::kControlKind, "127.0.0.1", source);
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

  std::unique_ptr<LocalServer> server;
};

}  // namespace dovel::server
