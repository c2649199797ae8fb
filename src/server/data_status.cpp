#include "server/data_status.h"

namespace dovel::server {

std::string data_status_answer(DataStatus status, bool requester_is_friend, uint32_t share_flags) {
  std::string answer(5, '\0');
  answer[0] = static_cast<char>(status);
  answer[1] = static_cast<char>(requester_is_friend ? 1 : 0);
  answer[2] = static_cast<char>(share_flags & 0xFF);
  return answer;
}

}  // namespace dovel::server
