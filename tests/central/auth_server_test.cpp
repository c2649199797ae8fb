#include <gtest/gtest.h>

#include "central/central_fixture.h"
#include "platform/cp949.h"
#include "support/eventually.h"
#include "service/registration_messages.h"
#include "util/little_endian.h"

namespace dovel::central::test {
namespace {

using service::kLoginFailed;
using service::kLoginOk;
using service::kLoginWrongVersion;

class AuthServerTest : public CentralFixture {
 protected:
  bool duplicate_check(const std::string& id) {
    auto client = connect(endpoints().authentication);
    EXPECT_TRUE(client && client->send_frame(service::kDuplicateCheckType, *service::build_id_request(id)));
    std::optional<std::string> reply = client ? client->read_fixed_reply(5) : std::nullopt;
    EXPECT_TRUE(reply);
    return reply && (*reply)[4] == 1;
  }

  uint32_t online_count() {
    auto client = connect(endpoints().authentication);
    EXPECT_TRUE(client && client->send_frame(service::kOnlineCountType, ""));
    std::optional<std::string> reply = client ? client->read_fixed_reply(8) : std::nullopt;
    return reply ? service::parse_online_count_reply(*reply).value_or(9999) : 9999;
  }

  static uint32_t count_of(const std::optional<service::Push>& push) {
    return push && push->text.size() == 4 ? util::read_u32(push->text.data()) : 9999;
  }

  static std::string chat(const std::string& target, const std::string& text) {
    return *service::build_chat_message({target, text});
  }

  // The three fields of a relayed 123 push, in UTF-8.
  static service::RelayedMemo memo_of(const std::optional<service::Push>& push) {
    EXPECT_TRUE(push);
    if (!push) return {};
    service::RelayedMemo memo = service::split_relayed_memo(*platform::cp949_to_utf8(push->text));
    return memo;
  }
};

TEST_F(AuthServerTest, LoginAnswersEachCaseWithItsResultAndReason) {
  add_user("alice", "secret");
  struct Case {
    const char* name;
    std::string id;
    std::string password;
    uint16_t version;
    bool right_integrity;
    int result;
    int reason;
  };
  const Case cases[] = {
      {"right password", "alice", "secret", service::kClientVersion, true, kLoginOk, 0},
      {"wrong password", "alice", "Secret", service::kClientVersion, true, kLoginFailed, service::kReasonWrongPassword},
      {"unknown user", "nobody", "secret", service::kClientVersion, true, kLoginFailed, service::kReasonUnknownUser},
      {"other integrity value", "alice", "secret", service::kClientVersion, false, kLoginWrongVersion, 0},
      {"other version", "alice", "secret", service::kClientVersion - 1, true, kLoginWrongVersion, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    service::LoginRequest request;
    request.user_id = c.id;
    request.password = c.password;
    request.version = c.version;
    request.integrity = service::program_integrity_value();
    if (!c.right_integrity) request.integrity[0] ^= 1;
    Login login = login_with(request);
    EXPECT_EQ(login.reply.result, c.result);
    EXPECT_EQ(login.reply.reason, c.reason);
    // A refused login ends its connection in order; an accepted one stays open.
    if (c.result != kLoginOk) {
      EXPECT_EQ(login.client->wait_for_end(), CentralClient::End::Orderly);
    }
  }
  EXPECT_NE(request_log().find("login\t17/22 alice"), std::string::npos);
}

TEST_F(AuthServerTest, AcceptedLoginCarriesTheAccountsFields) {
  ASSERT_EQ(central->accounts().add({"Bob", "pw", "밥", 7, true}), AccountStore::Change::Done);
  AccountChanges changes;
  changes.transfer_flag = 1;
  changes.privilege_a = 2;
  changes.privilege_b = 3;
  changes.warning_level = 1;
  changes.suspension_kind = 4;
  changes.extra_flag = 5;
  ASSERT_EQ(central->accounts().update("bob", changes), AccountStore::Change::Done);

  service::LoginReply reply = login("bob").reply;
  ASSERT_EQ(reply.result, kLoginOk);
  EXPECT_EQ(reply.user_id, "bob");
  EXPECT_EQ(reply.member_label, "밥");
  EXPECT_EQ(reply.account_serial, central->accounts().find("bob")->serial);
  EXPECT_EQ(reply.member_level, 7);
  EXPECT_EQ(reply.is_adult, 1);
  EXPECT_EQ(reply.transfer_flag, 1);
  EXPECT_EQ(reply.privilege_a, 2);
  EXPECT_EQ(reply.privilege_b, 3);
  EXPECT_EQ(reply.warning_level, 1);
  EXPECT_EQ(reply.suspension_kind, 4);
  EXPECT_EQ(reply.extra_flag, 5);
  EXPECT_EQ(reply.auth_token_a.size(), 31u);
  EXPECT_NE(reply.auth_token_a, login("bob").reply.auth_token_a) << "every login gets fresh tokens";
}

TEST_F(AuthServerTest, DuplicateCheckSeesWhoHasASession) {
  add_user("alice");
  EXPECT_FALSE(duplicate_check("alice"));
  CentralClient session = logged_in("alice");
  EXPECT_TRUE(duplicate_check("alice"));
  EXPECT_FALSE(duplicate_check("bob"));
  session.close();
  EXPECT_TRUE(dovel::test::eventually([&] { return !duplicate_check("alice"); }));
}

TEST_F(AuthServerTest, SecondLoginEndsTheFirstSessionInOrder) {
  add_user("alice");
  CentralClient first = logged_in("alice");
  ASSERT_EQ(count_of(first.next_push(service::kOnlineCountPush)), 1u);
  CentralClient second = logged_in("alice");
  // The older client still talks while its session is being ended; that must not turn the end into a reset.
  first.send_frame(service::kKeepAliveType, "P");
  EXPECT_EQ(first.wait_for_end(), CentralClient::End::Orderly);

  EXPECT_TRUE(duplicate_check("alice"));
  EXPECT_EQ(online_count(), 1u);
  ASSERT_EQ(central->push(service::kSystemLinePush, "still here", std::string("alice")), 1u);
  EXPECT_TRUE(second.next_push(service::kSystemLinePush));
}

TEST_F(AuthServerTest, OnlineCountIsAnsweredAndPushedOnEveryChange) {
  add_user("alice");
  add_user("bob");
  EXPECT_EQ(online_count(), 0u);
  CentralClient alice = logged_in("alice");
  EXPECT_EQ(count_of(alice.next_push(service::kOnlineCountPush)), 1u);
  EXPECT_EQ(online_count(), 1u);

  CentralClient bob = logged_in("bob");
  EXPECT_EQ(count_of(alice.next_push(service::kOnlineCountPush)), 2u);
  EXPECT_EQ(count_of(bob.next_push(service::kOnlineCountPush)), 2u);
  EXPECT_EQ(online_count(), 2u);

  bob.close();
  EXPECT_EQ(count_of(alice.next_push(service::kOnlineCountPush)), 1u);
}

TEST_F(AuthServerTest, MemoReachesAnOnlineTargetWithSenderAndLabel) {
  add_user("alice", "pw", "앨리스");
  add_user("bob");
  CentralClient alice = logged_in("alice");
  CentralClient bob = logged_in("bob");
  ASSERT_TRUE(alice.send_frame(service::kMemoType, chat("bob", "안녕 bob")));
  service::RelayedMemo memo = memo_of(bob.next_push(service::kMemoPush));
  EXPECT_EQ(memo.marker, "MEMO");
  EXPECT_EQ(memo.sender, "alice");
  EXPECT_EQ(memo.body, "앨리스\x07안녕 bob");
}

TEST_F(AuthServerTest, MemoThatCannotBeDeliveredComesBackAsServiceNotice) {
  add_user("alice");
  add_user("bob");
  CentralClient alice = logged_in("alice");
  CentralClient bob = logged_in("bob", /*accepts_memos=*/false);
  for (const char* target : {"carol", "bob"}) {
    SCOPED_TRACE(target);
    ASSERT_TRUE(alice.send_frame(service::kMemoType, chat(target, "hello")));
    service::RelayedMemo notice = memo_of(alice.next_push(service::kMemoPush));
    EXPECT_EQ(notice.marker, "MSG_NOTICE");
    EXPECT_EQ(notice.sender, std::string("'") + target + "'님은 접속중이 아니거나 쪽지를 받지 않습니다.");
  }
  // Switching memos on makes bob reachable.
  ASSERT_TRUE(bob.send_frame(service::kMemoFlagType, "\x01"));
  ASSERT_TRUE(dovel::test::eventually([&] { return request_log().find("accepts memos") != std::string::npos; }));
  ASSERT_TRUE(alice.send_frame(service::kMemoType, chat("bob", "now?")));
  EXPECT_EQ(memo_of(bob.next_push(service::kMemoPush)).marker, "MEMO");
}

TEST_F(AuthServerTest, BlockedSenderNoticeIsDeliveredAsServiceNotice) {
  add_user("alice");
  add_user("bob");
  CentralClient alice = logged_in("alice");
  CentralClient bob = logged_in("bob", /*accepts_memos=*/false);
  ASSERT_TRUE(alice.send_frame(service::kBlockedNoticeType, chat("bob", "차단되었습니다")));
  service::RelayedMemo notice = memo_of(bob.next_push(service::kMemoPush));
  EXPECT_EQ(notice.marker, "MSG_NOTICE");
  EXPECT_EQ(notice.sender, "차단되었습니다");
}

TEST_F(AuthServerTest, NoticesAndSystemLinesArePushedToAllOrToOne) {
  add_user("alice");
  add_user("bob");
  CentralClient alice = logged_in("alice");
  CentralClient bob = logged_in("bob");
  EXPECT_EQ(central->push(service::kNoticePush, "점검 공지"), 2u);
  EXPECT_EQ(central->push(service::kSystemLinePush, "only bob", std::string("BOB")), 1u);
  for (CentralClient* client : {&alice, &bob}) {
    std::optional<service::Push> notice = client->next_push(service::kNoticePush);
    ASSERT_TRUE(notice);
    EXPECT_EQ(platform::cp949_to_utf8(notice->text), "점검 공지");
  }
  std::optional<service::Push> line = bob.next_push(service::kSystemLinePush);
  ASSERT_TRUE(line);
  EXPECT_EQ(line->text, "only bob");
}

TEST_F(AuthServerTest, SessionFramesBeforeLoginAreIgnored) {
  add_user("bob");
  CentralClient bob = logged_in("bob");
  auto stranger = connect(endpoints().authentication);
  ASSERT_TRUE(stranger);
  ASSERT_TRUE(stranger->send_frame(service::kMemoType, chat("bob", "spoofed")));
  ASSERT_TRUE(stranger->send_frame(service::kOnlineCountType, ""));
  // The count answer shows the memo before it was handled (and dropped).
  ASSERT_TRUE(stranger->read_fixed_reply(8));
  ASSERT_TRUE(central->push(service::kSystemLinePush, "marker"));
  std::optional<service::Push> next = bob.next_push();
  while (next && next->type == service::kOnlineCountPush) next = bob.next_push();
  ASSERT_TRUE(next);
  EXPECT_EQ(next->type, service::kSystemLinePush);
}

class OpenSignupTest : public CentralFixture {
  void configure(CentralConfig& config) override { config.open_signup = true; }
};

TEST_F(OpenSignupTest, UnknownIdBecomesAnAccountWithItsPassword) {
  EXPECT_EQ(login("newcomer", "first").reply.result, kLoginOk);
  ASSERT_TRUE(central->accounts().find("newcomer"));
  service::LoginReply again = login("newcomer", "other").reply;
  EXPECT_EQ(again.result, kLoginFailed);
  EXPECT_EQ(again.reason, service::kReasonWrongPassword);
}

class SmallServiceTest : public CentralFixture {
  void configure(CentralConfig& config) override {
    config.limits.max_sessions = 1;
    config.limits.request_idle_ms = 300;
  }
};

TEST_F(SmallServiceTest, LoginBeyondCapacityIsServerFull) {
  add_user("alice");
  add_user("bob");
  CentralClient alice = logged_in("alice");
  EXPECT_EQ(login("bob").reply.result, service::kLoginServerFull);
  // The same ID replaces its session and needs no new place.
  EXPECT_EQ(login("alice").reply.result, kLoginOk);
}

TEST_F(SmallServiceTest, SilentConnectionIsEndedInOrder) {
  auto silent = connect(endpoints().authentication);
  ASSERT_TRUE(silent);
  EXPECT_EQ(silent->wait_for_end(), CentralClient::End::Orderly);
}

}  // namespace
}  // namespace dovel::central::test
