#include "search/search_settings.h"

#include <cstddef>

namespace dovel::search {

int send_delay_ms(int send_delay_index) {
  if (send_delay_index < 0 || send_delay_index >= static_cast<int>(kSendDelaysMs.size())) send_delay_index = kDefaultSendDelayIndex;
  return kSendDelaysMs[static_cast<size_t>(send_delay_index)];
}

}  // namespace dovel::search
