#include "browse/sub_folder_name.h"

#include "base/string_printf.h"

namespace dovel::browse {
namespace {

constexpr std::string_view kForbiddenCharacters = "\\/*?:\"<>|";

}  // namespace

std::optional<std::string> sub_folder_refusal(std::string_view name) {
  for (char forbidden : kForbiddenCharacters) {
    if (name.find(forbidden) != std::string_view::npos) {
      return base::string_printf("경로에 '%c' 문자는 사용할 수 없습니다.", forbidden);
    }
  }
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) return std::string("경로에 제어 문자는 사용할 수 없습니다.");
  }
  if (name == "." || name == "..") return base::string_printf("경로에 '%s' 폴더는 사용할 수 없습니다.", std::string(name).c_str());
  return std::nullopt;
}

}  // namespace dovel::browse
