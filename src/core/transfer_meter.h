#pragma once

#include <atomic>
#include <cstdint>

#include "core/transfer_pacer.h"

namespace dovel::core {

// The program-wide transfer figures that the transfer threads add to and the
// main window's timers read: byte counters for the speed meter, the running
// transfers, the upload throttle's delay, the download pacer and the
// power-off option.
struct TransferMeter {
  std::atomic<uint64_t> uploaded_bytes{0};
  std::atomic<uint64_t> downloaded_bytes{0};
  std::atomic<int> running_uploads{0};
  std::atomic<int> running_downloads{0};
  // Milliseconds every upload thread sleeps after each chunk.
  std::atomic<double> upload_delay_ms{0};
  // Every download paces the bytes it writes against the download limit here.
  TransferPacer download_pacer;
  // The total upload speed the meter measured last, bytes per second.
  std::atomic<double> upload_speed{0};
  std::atomic<uint32_t> highest_upload_speed{0};
  // "Power the computer off when transfers end" is on: no new uploads start.
  std::atomic<bool> power_off_after_transfers{false};
};

// The upload throttle's step, once a second: with measured speed S,
// limit L and N running transfers, the delay grows by S / L / N (up to 2000 ms)
// while S is above L, and otherwise shrinks by L / S / N (never below 0).
double next_throttle_delay(double delay_ms, double speed, double limit, int running);

}  // namespace dovel::core
