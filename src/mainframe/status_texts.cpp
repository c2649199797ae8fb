#include "mainframe/status_texts.h"

#include "base/string_printf.h"
#include "base/text.h"
#include "util/format.h"

namespace dovel::mainframe {
namespace {

std::string speed_figure(double bytes_per_second, int running) {
  return base::string_printf("%.1fK (%d)", bytes_per_second / 1024.0, running);
}

// The first `count` characters of a UTF-8 text.
std::string first_characters(const std::string& text, size_t count) {
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && characters++ == count) return text.substr(0, i);
  }
  return text;
}

}  // namespace

TransferStatus transfer_status(const std::string& title, const std::optional<std::string>& points, const TransferFigures& figures) {
  TransferStatus status;
  status.download_text = speed_figure(figures.download_speed, figures.downloads);
  status.upload_text = speed_figure(figures.upload_speed, figures.uploads);
  std::string tip = title + (points ? "\r\n포인트: " + *points + "\r\n" : std::string("\r\nNot Login\r\n"));
  tip += "받기: " + status.download_text + "  주기: " + status.upload_text + "  ";
  status.tray_tip = first_characters(tip, kMaxTrayTipCharacters);
  return status;
}

std::string point_balance_lines(const PointBalancePayload& balance) {
  return "포인트: " + util::FormatNumber(balance.points) + "\r\n별머니: " + util::FormatNumber(balance.currency) +
         "\r\n금일수입: " + util::FormatNumber(balance.income_today) + "\r\n금일지출: " + util::FormatNumber(balance.spent_today) +
         "\r\n금일선물가능: " + util::FormatNumber(balance.giftable_today);
}

}  // namespace dovel::mainframe
