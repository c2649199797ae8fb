#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dovel::settings {

// The checks the settings pages make before they store a value, with the
// messages they show. Each refusal is the message; nullopt lets the value pass.

inline constexpr std::string_view kSharePortRangeMessage = "포트번호는 1 ~ 65535까지의 숫자이어야 합니다..!!";
inline constexpr std::string_view kSharePortChangedNotice = "공유포트가 변경되었습니다. 프로그램을 종료후 다시 시작해주시기 바랍니다.";

// A server title after its blanks were trimmed: at most 50 bytes in its CP949
// form (a Hangul syllable counts two). An empty title is refused too: it would
// fail the readiness check, and the next load would replace it by a random one.
std::optional<std::string> server_subject_refusal(std::string_view title);

// The share port typed as text: a decimal number from 1 to 65535.
std::optional<uint32_t> parse_share_port(std::string_view text);

// A server schedule that is on needs different start and end hours.
std::optional<std::string> server_reserve_refusal(bool use_server_reserve, uint32_t start_hour, uint32_t end_hour);

}  // namespace dovel::settings
