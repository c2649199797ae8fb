#pragma once

#include <cstdint>

#include "download/download_item.h"

namespace dovel::download {

// How long a current-speed sample runs before it is taken and a new one starts,
// so that several readers of the list cannot shorten each other's window.
inline constexpr int64_t kSpeedSampleMs = 1000;

// What the list shows of `item` at `now_ms` (steady milliseconds, the clock of
// run_start_ms and sample_ms), taken under the item lock. The speeds are -1
// unless the item is transferring. `current_speed` keeps the current speed of
// the last finished sample between calls; the item's sample restarts when one
// is taken.
ItemSnapshot take_snapshot(DownloadItem& item, int64_t now_ms, int64_t& current_speed);

}  // namespace dovel::download
