#pragma once

#include <array>

namespace dovel::search {

// The choices of "정밀도:": the pause in milliseconds after each query datagram.
inline constexpr std::array<int, 8> kSendDelaysMs = {0, 5, 10, 20, 30, 40, 50, 100};
inline constexpr int kDefaultSendDelayIndex = 4;
// "자동정렬:" 파일명, 크기, 파일수, 응답시간, 정렬안함.
inline constexpr int kDefaultAutoSortIndex = 4;

// The settings a search reads when it starts (SendtoDelay and AutoSort).
struct SearchSettings {
  int send_delay_index = kDefaultSendDelayIndex;
  int auto_sort_index = kDefaultAutoSortIndex;
};

// The pause of a SendtoDelay index; an index out of range gives the default's.
int send_delay_ms(int send_delay_index);

}  // namespace dovel::search
