#include "settings/settings_page_rules.h"

#include "base/string_printf.h"
#include "base/text.h"
#include "platform/cp949.h"
#include "settings/settings.h"

namespace dovel::settings {

std::optional<std::string> server_subject_refusal(std::string_view title) {
  if (title.empty()) return "내서버제목이 없습니다.";
  std::optional<std::string> wire = platform::utf8_to_cp949(title);
  if (!wire) return "내서버제목에 쓸 수 없는 글자가 있습니다.";
  if (wire->size() > kMaxServerSubjectBytes) {
    const int bytes = static_cast<int>(kMaxServerSubjectBytes);
    return base::string_printf("제목이 %d바이트(한글%d자, 영문 %d자)가 넘으면 안됩니다.", bytes, bytes / 2, bytes);
  }
  return std::nullopt;
}

std::optional<uint32_t> parse_share_port(std::string_view text) {
  std::optional<uint32_t> port = base::parse_uint32(base::trim(text));
  if (!port || !kSharePort.range->contains(*port)) return std::nullopt;
  return port;
}

std::optional<std::string> server_reserve_refusal(bool use_server_reserve, uint32_t start_hour, uint32_t end_hour) {
  if (use_server_reserve && start_hour == end_hour) return "예약설정 에러: 시작시간과 종료시간이 같으면 안됩니다.";
  return std::nullopt;
}

}  // namespace dovel::settings
