#pragma once

#include <optional>
#include <string>

#include "mainframe/hub_front.h"
#include "mainframe/hub_parts.h"

namespace dovel::mainframe {

// The transfer figures of the last 5 s.
struct TransferFigures {
  double download_speed = 0;  // bytes per second
  double upload_speed = 0;
  int downloads = 0;
  int uploads = 0;  // capped at the maximum number of uploads
};

inline constexpr size_t kMaxTrayTipCharacters = 127;

// The tray tip ("Not Login" in place of the points while the user is the guest)
// and the two figures of the status panel, speeds in KiB per second.
TransferStatus transfer_status(const std::string& title, const std::optional<std::string>& points, const TransferFigures& figures);

// "포인트: ", "별머니: ", "금일수입: ", "금일지출: ", "금일선물가능: " with their amounts, one per line.
std::string point_balance_lines(const PointBalancePayload& balance);

}  // namespace dovel::mainframe
