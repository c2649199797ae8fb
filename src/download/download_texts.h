#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "download/download_item.h"

namespace dovel::download {

// "대기중", "파일준비", "전송중", "중지됨", "이동중", "전송완료".
std::string_view state_text(ItemState state);

// The text of a status code (also a server's refusal byte); empty for the codes
// that have none.
std::string_view status_text(int status_code);

// What one row of the download list shows, column by column.
struct ItemTexts {
  std::string state;            // "상태"
  std::string connections;      // "다운수": "active/pending"
  std::string size;             // "총크기": "1,234 K"
  std::string received;         // "현재"
  int percent = 0;              // "비율": received * 100 / size, 0 when the size is 0
  std::string percent_text;     // "%d%"
  std::string average_speed;    // "평균속도": "12 K", blank unless transferring
  std::string current_speed;    // "순간속도"
  std::string remaining_time;   // "남은시간": "hh:mm:ss", blank while the average speed is 0
  std::string status;           // "비고"
  std::string run_marker;       // "..": "실행" when the file can be opened
  std::string link;             // the copy-link text
};

ItemTexts item_texts(const ItemSnapshot& item);

// A speed in bytes per second for the list; -1 when it cannot be told (not
// transferring, or no time has passed).
int64_t bytes_per_second(int64_t bytes, int64_t elapsed_ms);

// "%d K" of a speed in KB/s; blank for an unknown (negative) speed.
std::string speed_text(int64_t bytes_per_second);

// "%02d:%02d:%02d" of the bytes still missing at the given speed; blank when
// the speed is not positive.
std::string remaining_time_text(int64_t missing_bytes, int64_t bytes_per_second);

}  // namespace dovel::download
