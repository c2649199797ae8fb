#pragma once

#include <string>

#include "download/download_item.h"

namespace dovel::download {

// The three paid-content columns of a download row.
struct PaidColumnTexts {
  std::string price;     // "별머니(원)/저작권정보": "price(price / 20)/copyright"
  std::string download;  // "다운로드": "충전" when the balance is short, else "다운로드"
  std::string guide;     // "안내"
};

// "--" in all three unless the file is paid (a positive paid state, read as a
// signed byte) and the user's session does not skip the paid rules (`transfer_flag`).
PaidColumnTexts paid_column_texts(const ItemSnapshot& item, bool transfer_flag);

}  // namespace dovel::download
