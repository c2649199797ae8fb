#pragma once

#include <functional>
#include <string>

#include "core/message_loop.h"
#include "ui/service/login_connector.h"

namespace dovel::ui {

// Sits between the message loop and the hub so that the login window learns
// how the hub's login ended. Every message and tick goes on to the hub; while
// the window waits for a login, the hub's sign-in result is copied out first
// and the window shows its texts (failure box, notice window) instead of the
// hub, which still does everything else with it. Attach it to the loop in the
// hub's place. GUI thread only.
class SignInRelay final : public core::MessageHandler {
 public:
  // The hub's log_in (ID, password, automatic login).
  using LogIn = std::function<void(const std::string& user_id, const std::string& password, bool auto_login)>;

  SignInRelay(core::MessageHandler& hub, LogIn log_in);

  void on_message(core::Message& message) override;
  void on_timer(core::TimerId id) override;

  // The login window's "connect": hands the login to the hub.
  void connect_login(const LoginEntry& entry, LoginDone done);
  LoginConnector connector();
  bool waiting() const { return static_cast<bool>(pending_); }

 private:
  core::MessageHandler& hub_;
  LogIn log_in_;
  LoginDone pending_;
};

}  // namespace dovel::ui
