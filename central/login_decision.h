#pragma once

#include <optional>

#include "central/account_store.h"
#include "service/auth_messages.h"

namespace dovel::central {

struct LoginDecision {
  service::LoginReply reply;       // result and reason; on 21 every field of the account
  std::optional<Account> account;  // on 21
};

// What the authentication server answers a login: 20 for another version or
// integrity value, 17 with reason 23 (unknown ID), 22 (wrong password) or 10
// (database failure), else 21 with the account's fields and fresh tokens. With
// open sign-up an unknown ID becomes an account with the password it came with.
LoginDecision decide_login(const service::LoginRequest& request, AccountStore& accounts, bool open_signup);

}  // namespace dovel::central
