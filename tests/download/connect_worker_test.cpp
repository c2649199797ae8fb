#include "download/connect_worker.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <optional>
#include <string>

#include "core/message_ids.h"
#include "download/download_records.h"
#include "share_peer.h"
#include "support/loopback_address.h"
#include "support/refusing_port.h"

namespace dovel::download {
namespace {

class FixedLocator final : public PeerLocator {
 public:
  std::optional<Source> locate(const std::string& peer_id) override {
    asked.push_back(peer_id);
    return answer;
  }
  std::optional<Source> answer;
  std::vector<std::string> asked;
};

class ConnectWorkerTest : public ::testing::Test {
 protected:
  ConnectEnvironment environment() {
    ConnectEnvironment environment;
    environment.bind_address = client_address;
    environment.locator = &locator;
    environment.info = &server.databases.info;
    return environment;
  }

  const platform::Ipv4 client_address = dovel::test::unique_loopback_address();
  test::SharePeer server{dovel::test::unique_loopback_address(), "owner"};
  FixedLocator locator;
  dovel::test::RefusingPort refusing;
};

TEST_F(ConnectWorkerTest, AShareServerAsksForTheRequestAndSeesTheClientsAddress) {
  ConnectAttempt attempt;
  attempt.source = {server.address(), server.port(), "owner"};
  connect_attempt(attempt, environment());
  ASSERT_TRUE(attempt.socket.valid());
  EXPECT_EQ(attempt.status, 0);
  sockaddr_in local{};
  socklen_t length = sizeof local;
  ASSERT_EQ(::getsockname(attempt.socket.get(), reinterpret_cast<sockaddr*>(&local), &length), 0);
  EXPECT_EQ(local.sin_addr.s_addr, client_address);
  EXPECT_TRUE(locator.asked.empty());
}

TEST_F(ConnectWorkerTest, TheServersRefusalWordBecomesTheStatus) {
  server.monitor.set_new_uploads_paused(true);
  ConnectAttempt attempt;
  attempt.source = {server.address(), server.port(), "owner"};
  connect_attempt(attempt, environment());
  EXPECT_FALSE(attempt.socket.valid());
  EXPECT_EQ(attempt.status, 10);
}

TEST_F(ConnectWorkerTest, AnUnreachableSourceWithoutNewAddressIsStatus8) {
  ConnectAttempt attempt;
  attempt.source = {refusing.address, refusing.port, "owner"};
  connect_attempt(attempt, environment());
  EXPECT_FALSE(attempt.socket.valid());
  EXPECT_EQ(attempt.status, kStatusUnreachable);
  EXPECT_EQ(locator.asked, std::vector<std::string>{"owner"});

  ConnectAttempt anonymous;
  anonymous.source = {refusing.address, refusing.port, ""};
  connect_attempt(anonymous, environment());
  EXPECT_EQ(anonymous.status, kStatusUnreachable);
  EXPECT_EQ(locator.asked.size(), 1u);  // no ID, nobody to look up
}

TEST_F(ConnectWorkerTest, AMovedSourceIsLookedUpStoredAndTriedOnceMore) {
  const std::string hash(32, 'a');
  ASSERT_TRUE(add_sources(server.databases.info, hash, {{refusing.address, refusing.port, "owner"}}));
  locator.answer = Source{server.address(), server.port(), ""};
  ConnectAttempt attempt;
  attempt.source = {refusing.address, refusing.port, "owner"};
  connect_attempt(attempt, environment());
  ASSERT_TRUE(attempt.socket.valid());
  EXPECT_TRUE(attempt.source.same_server({server.address(), server.port(), ""}));
  EXPECT_EQ(attempt.source.peer_id, "owner");
  std::vector<Source> stored = load_sources(server.databases.info, hash);
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_TRUE(stored[0].same_server(attempt.source));
}

TEST_F(ConnectWorkerTest, TheRequestReachesItsRunUnlessTheRunHasEnded) {
  auto run = std::make_shared<RunSignals>();
  auto request = std::make_unique<ConnectRequest>();
  request->run = run;
  request->attempt = std::make_unique<ConnectAttempt>();
  request->attempt->id = 42;
  request->attempt->source = {server.address(), server.port(), "owner"};
  request->environment = environment();
  core::Message message{core::TM_CONNECT_REQUEST, 0, 0, std::move(request)};
  handle_connect_request(message);
  pollfd woken{run->event_fd(), POLLIN, 0};
  EXPECT_EQ(::poll(&woken, 1, 0), 1);
  auto ready = run->take_ready();
  ASSERT_EQ(ready.size(), 1u);
  EXPECT_EQ(ready[0]->id, 42u);
  EXPECT_TRUE(ready[0]->socket.valid());

  run->drain();
  run->close();
  auto late = std::make_unique<ConnectRequest>();
  late->run = run;
  late->attempt = std::make_unique<ConnectAttempt>();
  late->attempt->source = {server.address(), server.port(), "owner"};
  late->environment = environment();
  core::Message after_end{core::TM_CONNECT_REQUEST, 0, 0, std::move(late)};
  handle_connect_request(after_end);
  EXPECT_EQ(::poll(&woken, 1, 0), 0);
  EXPECT_TRUE(run->take_ready().empty());
}

}  // namespace
}  // namespace dovel::download
