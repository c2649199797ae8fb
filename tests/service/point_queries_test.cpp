// The point-server queries a download makes before it connects (allowance,
// paid state, false reports), against the stand-in service and against fake
// point servers that misbehave, each on loopback addresses of the test's own.
#include <gtest/gtest.h>

#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "central/central_service.h"
#include "service/auth_client.h"
#include "service/auth_messages.h"
#include "service/paid_content_queries.h"
#include "service/point_messages.h"
#include "service/point_queries.h"
#include "support/eventually.h"
#include "support/loopback_address.h"
#include "support/recording_target.h"
#include "support/scripted_peer.h"
#include "support/temp_folder.h"
#include "util/current_user.h"
#include "util/log_files.h"

namespace dovel::service {
namespace {

using test::eventually;
using namespace std::chrono_literals;

const std::string kHash = "00112233445566778899aabbccddeeff";

// Both point endpoints on an address where nothing listens.
ServiceEndpoints endpoints_without_point_servers() {
  ServiceConfig config = ServiceConfig::defaults();
  config.host_a = config.host_b = test::unique_loopback_address();
  return config.endpoints();
}

class PointQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    util::ConfigureLogFiles(temp.path(), platform::system_clock());
    const platform::Ipv4 address = test::unique_loopback_address();
    config.home = temp / "central";
    config.service = ServiceConfig::defaults();
    config.service.host_a = config.service.host_b = address;
    config.service.web_base = web_base_on(address);
    central = std::make_unique<central::CentralService>(config);
    ASSERT_EQ(central->accounts().add({"alice", "secret", "앨리스"}), central::AccountStore::Change::Done);
    std::string error;
    ASSERT_TRUE(central->start(&error)) << error;
    endpoints = config.service.endpoints();
    endpoints.bind_address = address;
    auth = std::make_unique<AuthClient>(endpoints, session, &hub);
    ASSERT_EQ(auth->login("alice", "secret", true, false).result, kLoginOk);
    token_a = session.identity().auth_token_a;
    token_b = session.identity().auth_token_b;
  }
  void TearDown() override {
    auth.reset();
    central.reset();
    util::SetCurrentUserId(util::kGuestUserId);
  }

  void set_points(int64_t points) {
    ASSERT_EQ(central->accounts().update("alice", {.points = points}), central::AccountStore::Change::Done);
  }

  test::TempFolder temp;
  central::CentralConfig config;
  std::unique_ptr<central::CentralService> central;
  ServiceEndpoints endpoints;
  test::RecordingTarget hub;
  ServiceSession session;
  std::unique_ptr<AuthClient> auth;
  std::string token_a;
  std::string token_b;
};

TEST_F(PointQueryTest, NewAccountsAreGrantedDownloadsOutOfTheBox) {
  Allowance allowance = check_allowance(endpoints, token_b, 100);
  EXPECT_EQ(allowance.result, kAllowanceGranted);
  EXPECT_TRUE(allowance.sufficient);
  EXPECT_EQ(allowance.balance, central::kDefaultPointBalance);
}

TEST_F(PointQueryTest, TheBalanceDecidesTheAllowance) {
  struct Case {
    int64_t points;
    int64_t asked;
    int result;
    bool sufficient;
  };
  const Case cases[] = {
      {50, 100, kAllowanceNotEnoughPoints, false},
      {100, 100, kAllowanceGranted, true},
      {101, 100, kAllowanceGranted, true},
      {0, 1, kAllowanceNotEnoughPoints, false},
      // Beyond the wire's 32 bits the largest amount is asked; the flag still compares the whole amount.
      {int64_t{1} << 40, (int64_t{1} << 40) + 1, kAllowanceGranted, false},
  };
  for (const Case& c : cases) {
    set_points(c.points);
    Allowance allowance = check_allowance(endpoints, token_b, c.asked);
    EXPECT_EQ(allowance.result, c.result) << c.points << " points, " << c.asked << " asked";
    EXPECT_EQ(allowance.sufficient, c.sufficient) << c.points << " points, " << c.asked << " asked";
    EXPECT_EQ(allowance.balance, c.points);
  }
}

TEST_F(PointQueryTest, OnlyTheTokenOfALiveSessionIsKnown) {
  EXPECT_EQ(check_allowance(endpoints, "not-a-token", 1).result, kAllowanceRefused);
  EXPECT_EQ(check_allowance(endpoints, "", 1).result, kAllowanceRefused);
  EXPECT_EQ(check_allowance(endpoints, token_a, 1).result, kAllowanceRefused) << "the point servers know auth_token_b";
  EXPECT_EQ(check_allowance(endpoints, std::string(33, 'x'), 1).result, kAllowanceRefused) << "a token too long for its field";

  auth->close();
  EXPECT_TRUE(eventually([&] { return check_allowance(endpoints, token_b, 1).result == kAllowanceRefused; }))
      << "the token ends with its session";
}

TEST_F(PointQueryTest, EveryFileIsFree) {
  std::optional<PaidState> state = query_paid_state(endpoints, token_a, token_b, kHash);
  ASSERT_TRUE(state);
  EXPECT_TRUE(state->answered);
  EXPECT_EQ(state->answer.status, kContentFree);
  EXPECT_EQ(state->answer.price, 0);

  EXPECT_FALSE(query_paid_state(endpoints, token_a, token_b, "not-a-hash")) << "nothing to ask about";
}

TEST_F(PointQueryTest, FalseReportCountsAreReadBack) {
  EXPECT_EQ(count_false_reports(endpoints, kHash), 0) << "nobody reported it";
  ASSERT_TRUE(central->false_reports().set(kHash, 3));
  EXPECT_EQ(count_false_reports(endpoints, kHash), 3);
  EXPECT_EQ(count_false_reports(endpoints, "00112233445566778899AABBCCDDEEFF"), 3) << "hashes compare in lower case";
  EXPECT_EQ(count_false_reports(endpoints, "ffffffffffffffffffffffffffffffff"), 0);
  EXPECT_EQ(count_false_reports(endpoints, "short"), 0);
  ASSERT_TRUE(central->false_reports().set(kHash, 0));
  EXPECT_EQ(count_false_reports(endpoints, kHash), 0) << "cleared";
}

TEST_F(PointQueryTest, OneReachablePointServerIsEnough) {
  // Whichever endpoint is tried first, the one that answers is found.
  ServiceEndpoints one_down = endpoints;
  one_down.point[0] = {test::unique_loopback_address(), 11030};
  for (int round = 0; round < 8; ++round) {
    EXPECT_EQ(check_allowance(one_down, token_b, 1).result, kAllowanceGranted) << round;
  }
}

TEST(PointQueriesWithoutService, NoPointServerIsReportedAsSuch) {
  const ServiceEndpoints endpoints = endpoints_without_point_servers();
  Allowance allowance = check_allowance(endpoints, "token", 1);
  EXPECT_EQ(allowance.result, kAllowanceNoServer);
  EXPECT_FALSE(allowance.sufficient);
  EXPECT_EQ(count_false_reports(endpoints, kHash), 0);
  std::optional<PaidState> state = query_paid_state(endpoints, "a", "b", kHash);
  ASSERT_TRUE(state) << "no point server: the file counts as free";
  EXPECT_FALSE(state->answered);
  EXPECT_EQ(state->answer.status, kContentFree);
}

// A point server that takes each request and answers with fixed bytes, then
// either hangs up or keeps the connection open without a further word.
class FakePointServer {
 public:
  FakePointServer(std::string answer, bool hang_up)
      : answer_(std::move(answer)), hang_up_(hang_up), peer_([this](int connection) { serve(connection); }) {}

  ServiceEndpoints endpoints() const {
    ServiceConfig config = ServiceConfig::defaults();
    config.host_a = config.host_b = peer_.address();
    config.point_ports = {peer_.port(), peer_.port()};
    return config.endpoints();
  }

 private:
  void serve(int connection) {
    char request[256];
    platform::receive_some(connection, request, sizeof request, 5000);
    if (!answer_.empty()) test::send_text(connection, answer_);
    if (!hang_up_) test::read_until_closed(connection);
  }

  const std::string answer_;
  const bool hang_up_;
  test::ScriptedPeer peer_;  // last: its threads end before the rest goes
};

constexpr PointExchangeTiming kShortWait{2000, 300};

TEST(PointQueriesAgainstFakes, ASilentServerIsNoReply) {
  FakePointServer silent("", false);
  const ServiceEndpoints endpoints = silent.endpoints();
  EXPECT_EQ(check_allowance(endpoints, "token", 1, kShortWait).result, kAllowanceNoReply);
  EXPECT_EQ(count_false_reports(endpoints, kHash, kShortWait), 0);
  EXPECT_FALSE(query_paid_state(endpoints, "a", "b", kHash, kShortWait)) << "connected but no answer: the query failed";
}

TEST(PointQueriesAgainstFakes, IncompleteAnswersAreRefused) {
  const std::string allowance = build_allowance_reply({kAllowanceStatusAllowed, 1000});
  FakePointServer short_allowance(allowance.substr(0, 12), true);
  EXPECT_EQ(check_allowance(short_allowance.endpoints(), "token", 1, kShortWait).result, kAllowanceNoReply);

  FakePointServer short_count(build_false_report_reply(9).substr(0, 5), true);
  EXPECT_EQ(count_false_reports(short_count.endpoints(), kHash, kShortWait), 0);

  std::string content = *build_content_answer({kContentNotPaid, 100, 0, "작품"});
  FakePointServer short_content(content.substr(0, content.size() - 1), true);
  EXPECT_FALSE(query_paid_state(short_content.endpoints(), "a", "b", kHash, kShortWait));

  content[0] = static_cast<char>(0xFF);  // length word 0x01FF instead of 308
  FakePointServer wrong_length(content, true);
  EXPECT_FALSE(query_paid_state(wrong_length.endpoints(), "a", "b", kHash, kShortWait));
}

TEST(PointQueriesAgainstFakes, AnswersAreReadAsTheyCome) {
  struct Case {
    uint8_t status;
    int result;
  };
  // Any status but 1 and 2 means not enough points.
  for (const Case& c : {Case{1, kAllowanceGranted}, Case{2, kAllowanceRefused}, Case{0, kAllowanceNotEnoughPoints}, Case{7, kAllowanceNotEnoughPoints}}) {
    FakePointServer server(build_allowance_reply({c.status, 10}), true);
    Allowance allowance = check_allowance(server.endpoints(), "token", 20, kShortWait);
    EXPECT_EQ(allowance.result, c.result) << int{c.status};
    EXPECT_FALSE(allowance.sufficient) << "a balance of 10 does not cover 20";
  }

  FakePointServer paid(*build_content_answer({kContentNotPaid, 100, 40, "작품"}), true);
  std::optional<PaidState> state = query_paid_state(paid.endpoints(), "a", "b", kHash, kShortWait);
  ASSERT_TRUE(state);
  EXPECT_EQ(state->answer.status, kContentNotPaid);
  EXPECT_EQ(state->answer.price, 100);
  EXPECT_EQ(state->answer.star_money, 40);
  EXPECT_EQ(state->answer.work_title, "작품");

  FakePointServer reports(build_false_report_reply(2), true);
  EXPECT_EQ(count_false_reports(reports.endpoints(), kHash, kShortWait), 2);
}

}  // namespace
}  // namespace dovel::service
