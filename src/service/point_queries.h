#pragma once

#include <cstdint>
#include <string_view>

#include "service/endpoints.h"
#include "service/point_server_connection.h"

namespace dovel::service {

// What check_allowance answers.
inline constexpr int kAllowanceGranted = 1;
inline constexpr int kAllowanceNotEnoughPoints = 0;
inline constexpr int kAllowanceNoServer = -1;  // neither point server could be reached
inline constexpr int kAllowanceNoReply = -2;   // no whole answer in time
inline constexpr int kAllowanceRefused = -3;   // refused for the account

struct Allowance {
  int result = kAllowanceNoServer;
  // Granted, and the balance the service returned covers the requested amount.
  bool sufficient = false;
  int64_t balance = 0;  // as the service returned it (0 without an answer)
};

// Asks a point server whether the user (`auth_token_b` of the session) may
// download `megabytes` more chargeable megabytes. Blocking: at most two connect
// attempts and one read of the answer, within `timing`. Amounts beyond the
// wire's 32 bits are asked as its largest value.
Allowance check_allowance(const ServiceEndpoints& endpoints, std::string_view auth_token_b, int64_t megabytes,
                          const PointExchangeTiming& timing = kAllowanceTiming);

// The number of false-file reports the service holds for the file `hash` (32
// hex digits); 0 when it could not be asked or gave no whole answer. Blocking.
int count_false_reports(const ServiceEndpoints& endpoints, std::string_view hash, const PointExchangeTiming& timing = kFalseReportTiming);

}  // namespace dovel::service
