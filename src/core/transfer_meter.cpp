#include "core/transfer_meter.h"

#include <algorithm>

namespace dovel::core {

double next_throttle_delay(double delay_ms, double speed, double limit, int running) {
  if (running <= 0 || limit <= 0) return delay_ms;
  if (speed > limit) return std::min(2000.0, delay_ms + speed / limit / running);
  if (static_cast<uint64_t>(speed) != 0) return std::max(0.0, delay_ms - limit / speed / running);
  return delay_ms;
}

}  // namespace dovel::core
