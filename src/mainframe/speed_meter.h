#pragma once

#include <atomic>
#include <cstdint>

#include "platform/clock.h"

namespace dovel::mainframe {

// One reader of a transfer byte counter: each reading is the bytes per second
// since this reader's previous reading. The display keeps showing its previous
// figure when no time has passed; the throttle reads 0 then.
class SpeedReader {
 public:
  enum class WhenNoTimePassed { KeepPrevious, Zero };

  SpeedReader(const std::atomic<uint64_t>& counter, const platform::Clock& clock, WhenNoTimePassed rule);

  double read();

 private:
  const std::atomic<uint64_t>& counter_;
  const platform::Clock& clock_;
  WhenNoTimePassed rule_;
  uint64_t last_count_;
  platform::Tick last_tick_;
  double last_speed_ = 0;
};

}  // namespace dovel::mainframe
