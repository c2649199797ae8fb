#include "download/charge_rule.h"

#include <algorithm>

#include "download/received_ranges.h"

namespace dovel::download {

int64_t charged_megabytes(int64_t piece_start, int64_t received_end, int64_t item_received) {
  if (item_received < kChargeableFrom || piece_start < 0 || received_end <= piece_start) return 0;
  const int64_t charged = received_end / kMiB - std::max(kFreeMegabytes, piece_start / kMiB);
  return std::max<int64_t>(charged, 0);
}

}  // namespace dovel::download
