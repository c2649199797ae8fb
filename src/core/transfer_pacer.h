#pragma once

#include <cstdint>
#include <mutex>

namespace dovel::core {

// A limit at or above this many bytes per second is no limit: the first row
// of the speed box.
inline constexpr uint64_t kNoSpeedLimit = 0x40000000;

// Holds what all transfers of one direction write together to a limit in
// bytes per second. Every chunk written books its share of time on one
// timeline that the transfers have in common: 8 KiB at 50 KiB/s take 160 ms
// of it, whoever wrote them. The writer then waits until the timeline has
// passed what it booked. A wait too short to be slept is not lost: the next
// chunk is booked behind it. Time in which nothing was written is not saved
// up for a later burst.
class TransferPacer {
 public:
  // Books `bytes` just written at `now_ns` (nanoseconds of the monotonic
  // clock) under `limit`; returns how long the writer waits, in nanoseconds
  // (0 without a limit).
  uint64_t wait_after(uint64_t bytes, uint64_t limit, uint64_t now_ns);

 private:
  std::mutex lock_;
  uint64_t booked_until_ns_ = 0;
};

}  // namespace dovel::core
