#include "central/login_decision.h"

#include <random>

#include "db/sqlite_error.h"

namespace dovel::central {
namespace {

constexpr size_t kTokenLength = 31;

// Tokens peers and the point servers are shown; the point servers know the
// user by auth_token_b while the session lasts.
std::string fresh_token() {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string token(kTokenLength, '0');
  for (char& c : token) c = kDigits[generator() % 16];
  return token;
}

service::LoginReply refusal(int result, int reason = 0) {
  service::LoginReply reply;
  reply.result = result;
  reply.reason = reason;
  return reply;
}

service::LoginReply accepted(const Account& account) {
  service::LoginReply reply;
  reply.result = service::kLoginOk;
  reply.user_id = account.user_id;
  reply.member_label = account.label;
  reply.auth_token_a = fresh_token();
  reply.auth_token_b = fresh_token();
  reply.account_serial = account.serial;
  reply.member_level = account.member_level;
  reply.is_adult = account.adult ? 1 : 0;
  reply.transfer_flag = account.transfer_flag;
  reply.privilege_b = account.privilege_b;
  reply.privilege_a = account.privilege_a;
  reply.warning_level = account.warning_level;
  reply.suspension_kind = account.suspension_kind;
  reply.extra_flag = account.extra_flag;
  return reply;
}

}  // namespace

LoginDecision decide_login(const service::LoginRequest& request, AccountStore& accounts, bool open_signup) {
  if (request.version != service::kClientVersion || request.integrity != service::program_integrity_value()) {
    return {refusal(service::kLoginWrongVersion), std::nullopt};
  }
  try {
    AccountStore::Verdict verdict = accounts.verify(request.user_id, request.password);
    if (verdict == AccountStore::Verdict::Unknown && open_signup &&
        accounts.add({request.user_id, request.password, request.user_id, 0, false}) == AccountStore::Change::Done) {
      verdict = AccountStore::Verdict::Ok;
    }
    if (verdict == AccountStore::Verdict::Unknown) return {refusal(service::kLoginFailed, service::kReasonUnknownUser), std::nullopt};
    if (verdict == AccountStore::Verdict::WrongPassword) return {refusal(service::kLoginFailed, service::kReasonWrongPassword), std::nullopt};
    std::optional<Account> account = accounts.find(request.user_id);
    if (!account) return {refusal(service::kLoginFailed, service::kReasonUnknownUser), std::nullopt};
    return {accepted(*account), account};
  } catch (const db::SqliteError&) {
    return {refusal(service::kLoginFailed, service::kReasonDatabase), std::nullopt};
  }
}

}  // namespace dovel::central
