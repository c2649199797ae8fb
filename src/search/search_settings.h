#pragma once

#include <array>

#include "settings/setting_table.h"

namespace dovel::search {

// The choices of "정밀도:": the pause in milliseconds after each query datagram.
inline constexpr std::array<int, 8> kSendDelaysMs = {0, 5, 10, 20, 30, 40, 50, 100};
static_assert(settings::kSendtoDelay.range->count() == static_cast<int>(kSendDelaysMs.size()));

// The settings a search reads when it starts (SendtoDelay and AutoSort).
struct SearchSettings {
  int send_delay_index = static_cast<int>(settings::kSendtoDelay.on_load);
  // "자동정렬:" 파일명, 크기, 파일수, 응답시간, 정렬안함.
  int auto_sort_index = static_cast<int>(settings::kAutoSort.on_load);
};

// The pause of a SendtoDelay index; an index out of range gives the setting's repair.
int send_delay_ms(int send_delay_index);

}  // namespace dovel::search
