#include "mainframe/speed_meter.h"

namespace dovel::mainframe {

SpeedReader::SpeedReader(const std::atomic<uint64_t>& counter, const platform::Clock& clock, WhenNoTimePassed rule)
    : counter_(counter), clock_(clock), rule_(rule), last_count_(counter.load()), last_tick_(clock.tick()) {}

double SpeedReader::read() {
  const uint64_t count = counter_.load();
  const platform::Tick now = clock_.tick();
  const platform::Tick elapsed = platform::ticks_between(last_tick_, now);
  if (elapsed == 0) return rule_ == WhenNoTimePassed::KeepPrevious ? last_speed_ : 0.0;
  last_speed_ = static_cast<double>(count - last_count_) * 1000.0 / elapsed;
  last_count_ = count;
  last_tick_ = now;
  return last_speed_;
}

}  // namespace dovel::mainframe
