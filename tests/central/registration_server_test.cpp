#include <gtest/gtest.h>

#include <vector>

#include "central/central_fixture.h"
#include "support/eventually.h"
#include "service/registration_messages.h"

namespace dovel::central::test {
namespace {

using service::ListedServer;
using service::RegistrationRecord;

class RegistrationTest : public CentralFixture {
 protected:
  // Logs the user in (the session stays open for the test).
  void online(const std::string& id) {
    add_user(id);
    sessions.push_back(logged_in(id));
  }

  CentralClient channel_connection(size_t channel) {
    auto client = connect(endpoints().registration[channel]);
    EXPECT_TRUE(client);
    return std::move(*client);
  }

  static int ask_result(CentralClient& client, uint16_t type, std::string_view payload) {
    EXPECT_TRUE(client.send_frame(type, payload));
    std::optional<std::string> body = client.read_long_reply();
    return body ? service::parse_result_reply(*body, type).value_or(-1) : -1;
  }

  static RegistrationRecord record(const std::string& id, uint16_t port = 9910) {
    RegistrationRecord record;
    record.user_id = id;
    record.port = port;
    record.shared_mib = 100;
    record.shared_files = 10;
    record.peak_speed = 2048;
    record.title = id + "의 서버";
    return record;
  }

  static int register_on(CentralClient& client, const RegistrationRecord& record) {
    return ask_result(client, service::kRegisterType, *service::build_registration_record(record));
  }

  std::vector<ListedServer> server_list(size_t channel) {
    CentralClient client = channel_connection(channel);
    EXPECT_TRUE(client.send_frame(service::kServerListType, ""));
    std::optional<std::string> body = client.read_long_reply();
    return body ? service::parse_server_list(*body).value_or(std::vector<ListedServer>{}) : std::vector<ListedServer>{};
  }

  std::vector<service::ServerAddress> peer_list(size_t channel) {
    CentralClient client = channel_connection(channel);
    EXPECT_TRUE(client.send_frame(service::kPeerListType, service::kPeerListRequest));
    std::optional<std::string> body = client.read_long_reply();
    return body ? service::parse_peer_list(*body).value_or(std::vector<service::ServerAddress>{}) : std::vector<service::ServerAddress>{};
  }

  std::optional<service::ServerAddress> look_up(const std::string& id) {
    CentralClient client = channel_connection(1);
    EXPECT_TRUE(client.send_frame(service::kAddressLookupType, *service::build_id_request(id)));
    std::optional<std::string> body = client.read_long_reply();
    EXPECT_TRUE(body && body->size() == 8);
    return body ? service::parse_address_reply(*body) : std::nullopt;
  }

  std::vector<CentralClient> sessions;
};

TEST_F(RegistrationTest, RegisteredServerIsListedWithTheCallersAddress) {
  online("alice");
  CentralClient registration = channel_connection(0);
  ASSERT_EQ(register_on(registration, record("alice")), service::kRegisterOk);

  std::vector<ListedServer> listed = server_list(0);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].user_id, "alice");
  EXPECT_EQ(listed[0].address, client_address);
  EXPECT_EQ(listed[0].port, 9910);
  EXPECT_EQ(listed[0].title, "alice의 서버");
  EXPECT_EQ(listed[0].shared_mib, 100u);
  EXPECT_EQ(listed[0].shared_files, 10u);
  EXPECT_EQ(listed[0].peak_speed, 2048u);
  EXPECT_EQ(listed[0].state, 0);
  EXPECT_EQ(listed[0].lock, 0);
  EXPECT_TRUE(server_list(1).empty());
}

TEST_F(RegistrationTest, OneRegistrationPerIdAndChannel) {
  online("alice");
  CentralClient first = channel_connection(0);
  ASSERT_EQ(register_on(first, record("alice")), service::kRegisterOk);
  CentralClient second = channel_connection(0);
  EXPECT_EQ(register_on(second, record("alice")), service::kRegisterAlreadyRegistered);
  EXPECT_EQ(register_on(first, record("alice")), service::kRegisterAlreadyRegistered);
  CentralClient other_channel = channel_connection(1);
  EXPECT_EQ(register_on(other_channel, record("alice")), service::kRegisterOk);
}

TEST_F(RegistrationTest, RecordWithoutSessionOrMalformedIsRefused) {
  add_user("offline");
  CentralClient client = channel_connection(2);
  EXPECT_EQ(register_on(client, record("offline")), service::kRegisterDatabaseError);
  EXPECT_EQ(ask_result(client, service::kRegisterType, "short"), service::kRegisterDatabaseError);
  online("alice");
  EXPECT_EQ(register_on(client, record("alice", 0)), service::kRegisterDatabaseError) << "port 0";
  EXPECT_TRUE(server_list(2).empty());
}

TEST_F(RegistrationTest, CountersTitleAndVisibilityReachTheList) {
  online("alice");
  CentralClient registration = channel_connection(1);
  ASSERT_EQ(register_on(registration, record("alice")), service::kRegisterOk);
  ASSERT_TRUE(registration.send_frame(service::kCountersType, service::build_counters({2048, 77})));
  ASSERT_TRUE(registration.send_frame(service::kPeakSpeedType, service::build_peak_speed(99999)));
  ASSERT_TRUE(registration.send_frame(service::kTitleType, *service::build_title_payload("새 제목")));
  // The visibility answer comes after the frames before it were applied.
  ASSERT_EQ(ask_result(registration, service::kVisibilityType, service::build_switch(true)), 1);

  std::vector<ListedServer> listed = server_list(1);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].shared_mib, 2048u);
  EXPECT_EQ(listed[0].shared_files, 77u);
  EXPECT_EQ(listed[0].peak_speed, 99999u);
  EXPECT_EQ(listed[0].title, "새 제목");

  ASSERT_EQ(ask_result(registration, service::kVisibilityType, service::build_switch(false)), 1);
  EXPECT_TRUE(server_list(1).empty());
  EXPECT_EQ(peer_list(1).size(), 1u) << "hidden servers are still searched";
  ASSERT_EQ(ask_result(registration, service::kVisibilityType, service::build_switch(true)), 1);
  EXPECT_EQ(server_list(1).size(), 1u);

  CentralClient unregistered = channel_connection(1);
  EXPECT_EQ(ask_result(unregistered, service::kVisibilityType, service::build_switch(false)), 0);
}

TEST_F(RegistrationTest, RegistrationEndsWithItsConnection) {
  online("alice");
  {
    CentralClient registration = channel_connection(0);
    ASSERT_EQ(register_on(registration, record("alice")), service::kRegisterOk);
  }
  EXPECT_TRUE(dovel::test::eventually([&] { return server_list(0).empty(); }));
  CentralClient again = channel_connection(0);
  EXPECT_EQ(register_on(again, record("alice")), service::kRegisterOk);
}

TEST_F(RegistrationTest, ServerListOnTheRegistrationConnection) {
  online("alice");
  CentralClient registration = channel_connection(2);
  ASSERT_EQ(register_on(registration, record("alice")), service::kRegisterOk);
  ASSERT_TRUE(registration.send_frame(service::kServerListType, ""));
  std::optional<std::string> body = registration.read_long_reply();
  ASSERT_TRUE(body);
  EXPECT_EQ(service::parse_server_list(*body)->size(), 1u);
}

TEST_F(RegistrationTest, AddressLookupFindsRegisteredServersOnly) {
  online("alice");
  online("bob");
  CentralClient registration = channel_connection(2);
  ASSERT_EQ(register_on(registration, record("alice", 7000)), service::kRegisterOk);

  std::optional<service::ServerAddress> found = look_up("alice");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->address, client_address);
  EXPECT_EQ(found->port, 7000);
  EXPECT_FALSE(look_up("bob")) << "online but not registered";
  EXPECT_FALSE(look_up("nobody"));
}

TEST_F(RegistrationTest, PeerListsHoldTheirChannelsServers) {
  online("alice");
  online("bob");
  CentralClient alice = channel_connection(0);
  ASSERT_EQ(register_on(alice, record("alice", 7001)), service::kRegisterOk);
  CentralClient bob = channel_connection(2);
  ASSERT_EQ(register_on(bob, record("bob", 7002)), service::kRegisterOk);

  const std::vector<std::vector<uint16_t>> expected_ports = {{7001}, {}, {7002}};
  for (size_t channel = 0; channel < 3; ++channel) {
    SCOPED_TRACE(channel);
    std::vector<uint16_t> ports;
    for (const service::ServerAddress& peer : peer_list(channel)) {
      EXPECT_EQ(peer.address, client_address);
      ports.push_back(peer.port);
    }
    EXPECT_EQ(ports, expected_ports[channel]);
  }
}

class FullChannelTest : public RegistrationTest {
  void configure(CentralConfig& config) override { config.limits.channel_capacity = 1; }
};

TEST_F(FullChannelTest, ChannelBeyondItsCapacityIsFull) {
  online("alice");
  online("bob");
  CentralClient alice = channel_connection(0);
  ASSERT_EQ(register_on(alice, record("alice")), service::kRegisterOk);
  CentralClient bob = channel_connection(0);
  EXPECT_EQ(register_on(bob, record("bob")), service::kRegisterChannelFull);
  CentralClient bob_elsewhere = channel_connection(1);
  EXPECT_EQ(register_on(bob_elsewhere, record("bob")), service::kRegisterOk);
}

}  // namespace
}  // namespace dovel::central::test
