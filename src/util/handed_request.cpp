#include "util/handed_request.h"

#include "platform/cp949.h"
#include "util/log_files.h"

namespace dovel::util {

std::optional<CLaunchRequest> ReadHandedRequest(std::string_view text) {
  if (!platform::is_valid_utf8(text)) {
    LogSystem("UTF-8이 아닌 요청은 받지 않습니다.");
    return std::nullopt;
  }
  CLaunchRequest request;
  if (!request.Parse(text)) {
    LogSystem("잘못된 요청입니다.");
    return std::nullopt;
  }
  return request;
}

}  // namespace dovel::util
