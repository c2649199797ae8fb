#include "service/login_credentials.h"

#include "platform/cp949.h"
#include "service/auth_client.h"
#include "service/auth_messages.h"

namespace dovel::service {

std::optional<std::string> login_credentials_refusal(std::string_view user_id, std::string_view password) {
  if (user_id.empty() || password.empty()) return "아이디와 암호를 입력하세요.";
  std::optional<std::string> wire_id = platform::utf8_to_cp949(user_id);
  std::optional<std::string> wire_password = platform::utf8_to_cp949(password);
  if (!wire_id || !wire_password || wire_id->find('\0') != std::string::npos || wire_password->find('\0') != std::string::npos) {
    return "아이디나 암호에 쓸 수 없는 글자가 있습니다.";
  }
  if (wire_id->size() > kMaxLoginText || wire_password->size() > kMaxLoginText) return login_failure_text(kLoginTooLong, 0);
  return std::nullopt;
}

}  // namespace dovel::service
