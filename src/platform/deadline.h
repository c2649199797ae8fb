#pragma once

#include <chrono>

namespace dovel::platform {

// An overall time limit for a multi-step exchange, so that a peer trickling
// one byte per read time-out cannot hold a thread forever.
class Deadline {
 public:
  using Clock = std::chrono::steady_clock;

  static Deadline after_ms(int milliseconds) { return Deadline(Clock::now() + std::chrono::milliseconds(milliseconds)); }
  explicit Deadline(Clock::time_point at) : at_(at) {}

  bool expired() const { return Clock::now() >= at_; }
  // Milliseconds left, never negative.
  int remaining_ms() const;
  // The smaller of a per-step time-out (negative: none) and what is left overall.
  int clamp_ms(int step_timeout_ms) const;

 private:
  Clock::time_point at_;
};

}  // namespace dovel::platform
