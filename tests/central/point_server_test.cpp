// The stand-in's point servers, spoken to frame by frame.
#include <gtest/gtest.h>

#include "central/central_fixture.h"
#include "service/paid_content_messages.h"
#include "service/point_messages.h"
#include "util/little_endian.h"

namespace dovel::central::test {
namespace {

const std::string kHash = "ffeeddccbbaa99887766554433221100";

class PointServerTest : public CentralFixture {
 protected:
  void SetUp() override {
    CentralFixture::SetUp();
    add_user("alice");
    session = login("alice");
    ASSERT_EQ(session.reply.result, service::kLoginOk);
  }

  std::optional<service::AllowanceReply> ask_allowance(size_t endpoint, std::string_view payload) {
    auto client = connect(endpoints().point[endpoint]);
    if (!client || !client->send_frame(service::kAllowanceType, payload)) return std::nullopt;
    std::optional<std::string> reply = client->read_fixed_reply(service::kAllowanceReplySize);
    return reply ? service::parse_allowance_reply(*reply) : std::nullopt;
  }
  std::optional<service::AllowanceReply> ask_allowance(size_t endpoint, uint32_t amount) {
    return ask_allowance(endpoint, *service::build_allowance_request({session.reply.auth_token_b, amount}));
  }

  Login session;
};

TEST_F(PointServerTest, BothEndpointsGrantFromTheBalance) {
  for (size_t endpoint : {0u, 1u}) {
    auto granted = ask_allowance(endpoint, 1000);
    ASSERT_TRUE(granted) << endpoint;
    EXPECT_EQ(granted->status, service::kAllowanceStatusAllowed);
    EXPECT_EQ(granted->balance, kDefaultPointBalance);
  }
  ASSERT_EQ(central->accounts().update("alice", {.points = 999}), AccountStore::Change::Done);
  auto refused = ask_allowance(0, 1000);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, service::kAllowanceStatusShort);
  EXPECT_EQ(refused->balance, 999);
  EXPECT_EQ(central->accounts().find("alice")->points, 999) << "asking spends nothing";
  EXPECT_NE(request_log().find("allowance\t3 not enough points: 1000 of 999 for alice"), std::string::npos) << request_log();
}

TEST_F(PointServerTest, AnAccountGoneOrAMalformedRequestIsRefused) {
  auto malformed = ask_allowance(0, std::string_view("short"));
  ASSERT_TRUE(malformed);
  EXPECT_EQ(malformed->status, service::kAllowanceStatusRefused);

  ASSERT_EQ(central->accounts().remove("alice"), AccountStore::Change::Done);
  auto gone = ask_allowance(1, 1);
  ASSERT_TRUE(gone);
  EXPECT_EQ(gone->status, service::kAllowanceStatusRefused) << "the session outlived its account";
}

TEST_F(PointServerTest, PaidStateIsFreeAndAMalformedQueryNegative) {
  auto client = connect(endpoints().point[0]);
  ASSERT_TRUE(client);
  const std::string request = *service::build_content_request({session.reply.auth_token_a, session.reply.auth_token_b, kHash});
  struct Case {
    std::string payload;
    int8_t status;
  };
  // One connection carries several queries.
  for (const Case& c : {Case{request, service::kContentFree}, Case{request.substr(1), -1}, Case{request, service::kContentFree}}) {
    ASSERT_TRUE(client->send_frame(service::kContentQueryType, c.payload));
    std::optional<std::string> answer = client->read_fixed_reply(service::kContentAnswerSize);
    ASSERT_TRUE(answer);
    auto parsed = service::parse_content_answer(*answer);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->status, c.status);
    EXPECT_EQ(parsed->price, 0);
    EXPECT_EQ(parsed->work_title, "");
  }
}

TEST_F(PointServerTest, FalseReportCountsPerHash) {
  ASSERT_TRUE(central->false_reports().set(kHash, 65535));
  EXPECT_FALSE(central->false_reports().set("not a hash", 1));
  auto client = connect(endpoints().point[1]);
  ASSERT_TRUE(client);
  struct Case {
    std::string payload;
    uint16_t count;
  };
  const Case cases[] = {
      {*service::build_false_report_request(kHash), 65535},
      {*service::build_false_report_request("0123456789abcdef0123456789abcdef"), 0},
      {kHash, 0},  // without its NUL: malformed
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(client->send_frame(service::kFalseReportType, c.payload));
    std::optional<std::string> reply = client->read_fixed_reply(service::kFalseReportReplySize);
    ASSERT_TRUE(reply);
    EXPECT_EQ(service::parse_false_report_reply(*reply), c.count) << c.payload;
  }
  EXPECT_EQ(central->false_reports().list().size(), 1u);
}

TEST_F(PointServerTest, RequestsNotServedYetAreIgnored) {
  auto client = connect(endpoints().point[0]);
  ASSERT_TRUE(client);
  ASSERT_TRUE(client->send_frame(service::kBalanceType, std::string(64, '\0')));
  ASSERT_TRUE(client->send_frame(service::kContentPaymentType, std::string(97, '\0')));
  // The connection goes on: the next request is answered.
  ASSERT_TRUE(client->send_frame(service::kFalseReportType, *service::build_false_report_request(kHash)));
  std::optional<std::string> reply = client->read_fixed_reply(service::kFalseReportReplySize);
  ASSERT_TRUE(reply);
  EXPECT_EQ(service::parse_false_report_reply(*reply), 0);
  EXPECT_NE(request_log().find("type 61\tignored"), std::string::npos) << request_log();
}

TEST_F(PointServerTest, AnOversizedRequestEndsTheConnection) {
  auto client = connect(endpoints().point[0]);
  ASSERT_TRUE(client);
  ASSERT_TRUE(client->send_frame(service::kAllowanceType, std::string(4096, 'x')));
  EXPECT_EQ(client->wait_for_end(), CentralClient::End::Orderly);
}

// A central.db from before the point balances: its accounts get the default balance.
TEST(PointBalances, OlderDatabasesGainTheColumn) {
  dovel::test::TempFolder home;
  {
    db::Sqlite3Connection old;
    old.Open(home.path() / std::string(kCentralDatabaseFile));
    old.Execute(
        "CREATE TABLE accounts (serial INTEGER PRIMARY KEY AUTOINCREMENT, user_id TEXT NOT NULL UNIQUE, password_salt TEXT NOT NULL, "
        "password_hash TEXT NOT NULL, label TEXT NOT NULL DEFAULT '', member_level INTEGER NOT NULL DEFAULT 0, adult INTEGER NOT NULL "
        "DEFAULT 0, transfer_flag INTEGER NOT NULL DEFAULT 0, privilege_a INTEGER NOT NULL DEFAULT 0, privilege_b INTEGER NOT NULL "
        "DEFAULT 0, warning_level INTEGER NOT NULL DEFAULT 0, suspension_kind INTEGER NOT NULL DEFAULT 0, warning_text TEXT NOT NULL "
        "DEFAULT '', extra_flag INTEGER NOT NULL DEFAULT 0, created INTEGER NOT NULL)");
    old.Execute("INSERT INTO accounts (user_id, password_salt, password_hash, created) VALUES ('old', 's', 'h', 0)");
  }
  for (int opening = 0; opening < 2; ++opening) {
    CentralDatabase database(home.path());
    AccountStore accounts(database);
    std::optional<Account> account = accounts.find("old");
    ASSERT_TRUE(account) << opening;
    EXPECT_EQ(account->points, opening == 0 ? kDefaultPointBalance : 7) << opening;
    ASSERT_EQ(accounts.update("old", {.points = 7}), AccountStore::Change::Done);
  }
}

}  // namespace
}  // namespace dovel::central::test
