#include "service/session_flow.h"

#include "base/text.h"
#include "platform/cp949.h"
#include "service/auth_messages.h"
#include "service/stored_login.h"
#include "util/http_get.h"
#include "util/letter_pair.h"
#include "util/log_files.h"

namespace dovel::service {
namespace {

constexpr int kWebTimeoutMs = 5000;

}  // namespace

SignIn sign_in(AuthClient& auth, ServiceSession& session, settings::SettingsRegistry& registry, const SignInRequest& request,
               const TakeoverQuestion& takeover) {
  SignIn outcome;
  if (request.user_id.empty() || request.password.empty()) {
    util::LogSystem("아이디와 암호를 입력하세요.");
    return outcome;
  }
  const std::string user_id = base::ascii_lower(request.user_id);
  LoginOutcome login = auth.login(user_id, request.password, request.allow_memo, false, takeover);
  outcome.result = login.result;
  outcome.reason = login.reason;
  if (login.result != kLoginOk) {
    outcome.message = login_failure_text(login.result, login.reason);
    return outcome;
  }
  registry.edit([&](settings::SettingsRegistry::Writer& writer) { keep_login(writer, user_id, request.password, request.auto_login); });
  util::LogSystem("인증서버로 로그인하였습니다.");
  if (session.record().warning_level > 0) {
    WarningCheck warnings = check_warnings(request.web_base, session);
    outcome.warning_notice = warnings.notice;
    outcome.warning_result = warnings.result;
  }
  return outcome;
}

WarningCheck check_warnings(const std::string& web_base, ServiceSession& session) {
  WarningCheck check;
  std::string page;
  const std::string user_id = session.identity().user_id;
  if (!util::HttpGet(web_base, kWebTimeoutMs, "/client/warn_status.html?q_id=" + util::EncodeWire(user_id), page)) return check;
  std::vector<std::string> fields = base::split(platform::cp949_to_utf8(page).value_or(std::string()), '\x06');
  if (fields.size() < 3) return check;
  auto level = base::parse_uint32(base::trim(fields[0]));
  auto kind = base::parse_uint32(base::trim(fields[1]));
  if (!level || !kind || *level > 255 || *kind > 255) return check;
  session.set_warnings(static_cast<uint8_t>(*level), static_cast<uint8_t>(*kind), fields[2]);
  std::string heading;
  if (*level == 0) return check;
  if (*level == 1) {
    heading = "경고 내역이 있습니다.";
  } else if (*kind == 1) {
    heading = "사용중지 내역이 있습니다.";
    check.result = 2;
  } else {
    heading = "사용중지(업로드중지) 내역이 있습니다.";
    check.result = 1;
  }
  check.notice = heading + "\r\n" + "\r\n\r\n" + fields[2];
  return check;
}

void logout(const std::string& web_base) {
  util::LogSystem("인증서버와 연결이 종료되었습니다.");
  std::string ignored;
  util::HttpGet(web_base, kWebTimeoutMs, "/login/logout.html", ignored);
}

}  // namespace dovel::service
