#pragma once

#include <memory>

#include "central/account_store.h"
#include "central/connection_handler.h"
#include "central/session_registry.h"

namespace dovel::central {

struct AuthContext {
  SessionRegistry& sessions;
  AccountStore& accounts;
  bool open_signup = false;
};

// The authentication server's side of one connection: the duplicate check and
// the online count on their own connections, or the login that turns the
// connection into the user's session; on the session the keep-alive, the memo
// switch and the memo frames.
class AuthHandler final : public ConnectionHandler {
 public:
  explicit AuthHandler(const AuthContext& context) : context_(context) {}

  Next on_frame(Connection& connection, const service::Frame& frame) override;
  void on_end(Connection& connection) override;
  size_t max_payload() const override;
  bool holds_state() const override { return session_ != nullptr; }

 private:
  Next login(Connection& connection, std::string_view payload);
  Next duplicate_check(Connection& connection, std::string_view payload);
  Next on_session_frame(Connection& connection, const service::Frame& frame);

  const AuthContext& context_;
  std::shared_ptr<Session> session_;
};

}  // namespace dovel::central
