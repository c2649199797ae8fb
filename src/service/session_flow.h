#pragma once

#include <optional>
#include <string>

#include "service/auth_client.h"
#include "service/service_session.h"
#include "settings/settings_registry.h"

namespace dovel::service {

// What the login window does with "connect", without the window.
struct SignIn {
  int result = 0;
  int reason = 0;
  // The message box text of a failure ("" when none is shown).
  std::string message;
  // The warning check's result: 1 uploads suspended (sharing goes off), 2 account
  // suspended (the login window closes as cancelled and the session ends).
  int warning_result = 0;
  // The text for the notice window after a login with warnings ("" when none).
  std::string warning_notice;
};

struct SignInRequest {
  std::string user_id;
  std::string password;
  bool auto_login = false;
  bool allow_memo = true;
  std::string web_base;
};

// Lower-cases the ID, logs in with the duplicate check, keeps the ID ("data1")
// and, with automatic login, the password ("data2") in the settings, logs the
// status line, and checks the account's warnings when it has any.
SignIn sign_in(AuthClient& auth, ServiceSession& session, settings::SettingsRegistry& registry, const SignInRequest& request,
               const TakeoverQuestion& takeover = {});

// The account's warnings, read from the web host; they replace the session's.
struct WarningCheck {
  int result = 0;      // 0 nothing to stop, 1 uploads suspended, 2 account suspended
  std::string notice;  // heading and text for the notice window; "" when nothing is shown
};
WarningCheck check_warnings(const std::string& web_base, ServiceSession& session);

// The service side of logging out: the status line and the web host's logout page.
void logout(const std::string& web_base);

}  // namespace dovel::service
