#include "download/paid_columns.h"

#include <cstdint>

#include "download/paid_content.h"
#include "util/format.h"

namespace dovel::download {

PaidColumnTexts paid_column_texts(const ItemSnapshot& item, bool transfer_flag) {
  const bool paid = static_cast<int8_t>(item.paid_state & 0xFF) > 0;
  if (transfer_flag || !paid) return {"--", "--", "--"};
  PaidColumnTexts texts;
  texts.price = util::FormatNumber(item.price) + "(" + util::FormatNumber(item.price / 20) + ")/" + item.copyright_text;
  texts.download = item.paid_state == kPaidBalanceShort ? "충전" : "다운로드";
  texts.guide = "안내";
  return texts;
}

}  // namespace dovel::download
