#include "ui/service/sign_in_relay.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/message_ids.h"
#include "mainframe/main_frame.h"
#include "service/auth_messages.h"

namespace dovel::ui {
namespace {

// Stands in for the hub: keeps what reaches it.
class RecordingHub final : public core::MessageHandler {
 public:
  void on_message(core::Message& message) override {
    ids.push_back(message.id);
    if (auto* signed_in = dynamic_cast<mainframe::SignInPayload*>(message.payload.get())) outcomes.push_back(signed_in->outcome);
  }
  void on_timer(core::TimerId id) override { ticks.push_back(id); }

  std::vector<core::MessageId> ids;
  std::vector<service::SignIn> outcomes;
  std::vector<core::TimerId> ticks;
};

core::Message sign_in_done(service::SignIn outcome) {
  auto payload = std::make_unique<mainframe::SignInPayload>();
  payload->outcome = std::move(outcome);
  return {core::UM_SIGN_IN_DONE, 0, 0, std::move(payload)};
}

service::SignIn failure() {
  service::SignIn outcome;
  outcome.result = service::kLoginFailed;
  outcome.reason = service::kReasonWrongPassword;
  outcome.message = service::login_failure_text(outcome.result, outcome.reason);
  return outcome;
}

struct LogInCall {
  std::string user_id;
  std::string password;
  bool auto_login;
};

class SignInRelayTest : public ::testing::Test {
 protected:
  RecordingHub hub;
  std::vector<LogInCall> calls;
  SignInRelay relay{hub, [this](const std::string& id, const std::string& password, bool auto_login) {
                      calls.push_back({id, password, auto_login});
                    }};
};

TEST_F(SignInRelayTest, TheWindowGetsTheOutcomeAndTheHubKeepsItsPartWithoutTheTexts) {
  std::optional<service::SignIn> reported;
  relay.connector()({"alice", "secret", true}, [&](const service::SignIn& outcome) { reported = outcome; });
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].user_id, "alice");
  EXPECT_EQ(calls[0].password, "secret");
  EXPECT_TRUE(calls[0].auto_login);
  EXPECT_TRUE(relay.waiting());

  core::Message other{core::UM_LOGIN_DONE, 0, 0, nullptr};
  relay.on_message(other);
  EXPECT_FALSE(reported) << "only the sign-in result ends the wait";

  core::Message done = sign_in_done(failure());
  relay.on_message(done);
  ASSERT_TRUE(reported);
  EXPECT_EQ(reported->message, "로그인실패: 암호가 일치하지않습니다. 암호를 확인하세요.");
  EXPECT_EQ(reported->reason, service::kReasonWrongPassword);
  ASSERT_EQ(hub.outcomes.size(), 1u);
  EXPECT_EQ(hub.outcomes[0].result, service::kLoginFailed) << "the hub still ends its sign-in";
  EXPECT_EQ(hub.outcomes[0].message, "") << "the window shows the box, not the hub";
  EXPECT_EQ(hub.ids, (std::vector<core::MessageId>{core::UM_LOGIN_DONE, core::UM_SIGN_IN_DONE}));
  EXPECT_FALSE(relay.waiting());
}

TEST_F(SignInRelayTest, WithoutAWaitingWindowEverythingReachesTheHubUntouched) {
  core::Message done = sign_in_done(failure());
  relay.on_message(done);
  ASSERT_EQ(hub.outcomes.size(), 1u);
  EXPECT_EQ(hub.outcomes[0].message, "로그인실패: 암호가 일치하지않습니다. 암호를 확인하세요.");
  relay.on_timer(core::kStatusTimer);
  EXPECT_EQ(hub.ticks, std::vector<core::TimerId>{core::kStatusTimer});
}

}  // namespace
}  // namespace dovel::ui
