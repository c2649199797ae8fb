#pragma once

#include <functional>
#include <string>

#include "service/session_flow.h"

namespace dovel::ui {

// What the user typed into the login window.
struct LoginEntry {
  std::string user_id;  // already lower-cased
  std::string password;
  bool auto_login = false;
};

// Called once with the outcome of a login, on the GUI thread.
using LoginDone = std::function<void(const service::SignIn& outcome)>;

// Starts a login without blocking the GUI thread.
using LoginConnector = std::function<void(const LoginEntry& entry, LoginDone done)>;

}  // namespace dovel::ui
