#include "ui/service/sign_in_relay.h"

#include "core/message_ids.h"
#include "mainframe/main_frame.h"

namespace dovel::ui {

SignInRelay::SignInRelay(core::MessageHandler& hub, LogIn log_in) : hub_(hub), log_in_(std::move(log_in)) {}

void SignInRelay::connect_login(const LoginEntry& entry, LoginDone done) {
  pending_ = std::move(done);
  log_in_(entry.user_id, entry.password, entry.auto_login);
}

LoginConnector SignInRelay::connector() {
  return [this](const LoginEntry& entry, LoginDone done) { connect_login(entry, std::move(done)); };
}

void SignInRelay::on_message(core::Message& message) {
  auto* signed_in = message.id == core::UM_SIGN_IN_DONE ? dynamic_cast<mainframe::SignInPayload*>(message.payload.get()) : nullptr;
  if (signed_in == nullptr || !pending_) {
    hub_.on_message(message);
    return;
  }
  const service::SignIn outcome = signed_in->outcome;
  signed_in->outcome.message.clear();
  signed_in->outcome.warning_notice.clear();
  LoginDone done = std::move(pending_);
  pending_ = nullptr;
  hub_.on_message(message);
  done(outcome);
}

void SignInRelay::on_timer(core::TimerId id) { hub_.on_timer(id); }

}  // namespace dovel::ui
