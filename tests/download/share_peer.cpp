#include "share_peer.h"

#include <gtest/gtest.h>

#include "server/data_thread.h"

namespace dovel::download::test {

SharePeer::SharePeer(platform::Ipv4 address, const std::string& user_id)
    : ShareServerHome({.bind_address = address,
                       .owner = {user_id, 5, user_id + "님", "tokenA-" + user_id, "tokenB-" + user_id},
                       .shares = {{"public", settings::SHARE_READ}}}) {
  server = std::make_unique<server::LocalServer>(
      context, [](server::ShareServerContext& served, server::DataConnectionList& list, std::shared_ptr<server::DataConnection> connection) {
        server::serve_data_connection(served, list, std::move(connection));
      });
  EXPECT_TRUE(server->start_share_server(0));
}

SharePeer::~SharePeer() { server.reset(); }

}  // namespace dovel::download::test
