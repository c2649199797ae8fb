#include "service/point_queries.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "service/point_messages.h"
#include "service/reply_readers.h"
#include "service/service_socket.h"

namespace dovel::service {
namespace {

uint32_t wire_amount(int64_t megabytes) {
  return static_cast<uint32_t>(std::clamp<int64_t>(megabytes, 0, std::numeric_limits<uint32_t>::max()));
}

int allowance_result(uint8_t status) {
  switch (status) {
    case kAllowanceStatusAllowed: return kAllowanceGranted;
    case kAllowanceStatusRefused: return kAllowanceRefused;
    default: return kAllowanceNotEnoughPoints;
  }
}

}  // namespace

Allowance check_allowance(const ServiceEndpoints& endpoints, std::string_view auth_token_b, int64_t megabytes,
                          const PointExchangeTiming& timing) {
  std::optional<std::string> request = build_allowance_request({std::string(auth_token_b), wire_amount(megabytes)});
  // A token that does not fit the field cannot name the account to the service.
  if (!request) return {kAllowanceRefused};
  platform::UniqueFd connection = connect_to_point_server(endpoints, timing.connect_ms);
  if (!connection.valid()) return {kAllowanceNoServer};
  if (send_frame(connection.get(), kAllowanceType, *request) < 0) return {kAllowanceNoReply};
  std::optional<std::string> bytes =
      read_fixed_reply(connection.get(), kAllowanceReplySize, {timing.read_ms, platform::Deadline::after_ms(timing.read_ms)});
  std::optional<AllowanceReply> reply = bytes ? parse_allowance_reply(*bytes) : std::nullopt;
  if (!reply) return {kAllowanceNoReply};
  Allowance allowance{allowance_result(reply->status), false, reply->balance};
  allowance.sufficient = allowance.result == kAllowanceGranted && reply->balance >= megabytes;
  return allowance;
}

int count_false_reports(const ServiceEndpoints& endpoints, std::string_view hash, const PointExchangeTiming& timing) {
  std::optional<std::string> request = build_false_report_request(hash);
  if (!request) return 0;
  platform::UniqueFd connection = connect_to_point_server(endpoints, timing.connect_ms);
  if (!connection.valid() || send_frame(connection.get(), kFalseReportType, *request) < 0) return 0;
  std::optional<std::string> bytes =
      read_fixed_reply(connection.get(), kFalseReportReplySize, {timing.read_ms, platform::Deadline::after_ms(timing.read_ms)});
  std::optional<uint16_t> count = bytes ? parse_false_report_reply(*bytes) : std::nullopt;
  return count.value_or(0);
}

}  // namespace dovel::service
