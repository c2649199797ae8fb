#include "search/search_settings.h"

#include <cstddef>
#include <cstdint>

namespace dovel::search {

int send_delay_ms(int send_delay_index) {
  const uint32_t row = send_delay_index < 0 ? settings::kSendtoDelay.range->repaired
                                            : settings::kSendtoDelay.range->repair(static_cast<uint32_t>(send_delay_index));
  return kSendDelaysMs[static_cast<size_t>(row)];
}

}  // namespace dovel::search
