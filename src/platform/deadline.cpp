#include "platform/deadline.h"

#include <algorithm>

namespace dovel::platform {

int Deadline::remaining_ms() const {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(at_ - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 0x7fffffff));
}

int Deadline::clamp_ms(int step_timeout_ms) const {
  int left = remaining_ms();
  return step_timeout_ms < 0 ? left : std::min(step_timeout_ms, left);
}

}  // namespace dovel::platform
