// What a broken or hostile client sends is answered or dropped, never takes a
// role down, and never holds up the other clients.
#include <gtest/gtest.h>

#include <functional>

#include "central/central_fixture.h"
#include "service/file_index_messages.h"
#include "service/frame.h"
#include "service/port_test_messages.h"
#include "service/registration_messages.h"
#include "service/relay_messages.h"
#include "service/report_messages.h"
#include "util/little_endian.h"

namespace dovel::central::test {
namespace {

class HostileClientTest : public CentralFixture {
 protected:
  void configure(CentralConfig& config) override { config.limits.frame_ms = 300; }

  // One valid exchange per role, to see that the role still serves.
  struct Role {
    const char* name;
    service::Endpoint endpoint;
    uint16_t type;
    std::string payload;
    std::function<bool(CentralClient&)> read_answer;
  };
  std::vector<Role> roles() {
    const service::ServiceEndpoints at = endpoints();
    auto fixed = [](size_t count) { return [count](CentralClient& client) { return client.read_fixed_reply(count).has_value(); }; };
    auto long_prefixed = [](CentralClient& client) { return client.read_long_reply().has_value(); };
    auto typed = [](CentralClient& client) { return client.read_typed_reply().has_value(); };
    return {
        {"auth", at.authentication, service::kOnlineCountType, "", fixed(8)},
        {"registration", at.registration[0], service::kServerListType, "", long_prefixed},
        {"file index", at.file_index[0], service::kSourceLookupType, *service::build_source_lookup(std::string(32, 'a')), typed},
        {"relay", at.relay[0], service::kRelayTicketType, service::build_ticket_request(client_address, 1), fixed(2)},
        {"port test", at.port_test[0], service::kPortTestType, service::build_port_test_request({service::PortTestKind::Tcp, 0, 0}),
         fixed(service::kPortTestReplySize)},
        {"report", at.report[0], service::kDownloadReportType, "malformed", fixed(2)},
    };
  }

  bool answers(const Role& role) {
    auto client = connect(role.endpoint);
    return client && client->send_frame(role.type, role.payload) && role.read_answer(*client);
  }

  static std::string plain_start(uint16_t check, uint16_t tick, uint16_t length) {
    std::string bytes;
    util::append_u16(bytes, check);
    util::append_u16(bytes, tick);
    util::append_u16(bytes, length);
    return bytes;
  }
};

TEST_F(HostileClientTest, BrokenFramesEndTheirConnectionOnly) {
  const std::string valid = *service::build_frame(service::kOnlineCountType, "", 0x1234);
  const struct {
    const char* name;
    std::string bytes;
  } broken[] = {
      {"wrong check word", plain_start(0, 0x1234, 2) + "xx"},
      {"length without a type word", plain_start(service::frame_check_word(7), 7, 1) + "x"},
      {"longer than any request", plain_start(service::frame_check_word(7), 7, 0xFFFF) + std::string(4096, 'x')},
      {"noise", std::string(64, '\xA5')},
      {"frame that never ends", valid.substr(0, 7)},
  };
  for (const Role& role : roles()) {
    for (const auto& bad : broken) {
      SCOPED_TRACE(std::string(role.name) + ": " + bad.name);
      auto client = connect(role.endpoint);
      ASSERT_TRUE(client);
      ASSERT_TRUE(client->send_raw(bad.bytes));
      EXPECT_NE(client->wait_for_end(), CentralClient::End::StillOpen);
      EXPECT_TRUE(answers(role));
    }
  }
}

TEST_F(HostileClientTest, StalledClientDoesNotHoldUpTheOthers) {
  for (const Role& role : roles()) {
    SCOPED_TRACE(role.name);
    // Half a frame, then nothing: its connection waits, the others go on.
    auto stalled = connect(role.endpoint);
    ASSERT_TRUE(stalled && stalled->send_raw("\x01\x02\x03"));
    auto silent = connect(role.endpoint);
    ASSERT_TRUE(silent);
    EXPECT_TRUE(answers(role));
    EXPECT_TRUE(answers(role));
  }
}

TEST_F(HostileClientTest, OversizedMemoEndsOnlyTheSendersSession) {
  add_user("mallory");
  add_user("bob");
  CentralClient mallory = logged_in("mallory");
  CentralClient bob = logged_in("bob");
  ASSERT_TRUE(mallory.send_frame(service::kMemoType, "bob\x07" + std::string(5000, 'x') + '\0'));
  EXPECT_NE(mallory.wait_for_end(), CentralClient::End::StillOpen);
  ASSERT_EQ(central->push(service::kSystemLinePush, "bob is fine", std::string("bob")), 1u);
  EXPECT_TRUE(bob.next_push(service::kSystemLinePush));
}

}  // namespace
}  // namespace dovel::central::test
