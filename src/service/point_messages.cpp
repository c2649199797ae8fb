#include "service/point_messages.h"

#include "base/text.h"
#include "service/wire_text.h"
#include "util/little_endian.h"

namespace dovel::service {
namespace {

// The answer's type word and everything after it, behind the u16 length.
std::string typed_answer(uint16_t type, std::string_view body) {
  std::string answer;
  util::append_u16(answer, static_cast<uint16_t>(body.size() + 2));
  util::append_u16(answer, type);
  return answer.append(body);
}

}  // namespace

std::optional<std::string> normalized_file_hash(std::string_view hash) {
  std::string lower = base::ascii_lower(hash);
  if (lower.size() != 32 || lower.find_first_not_of("0123456789abcdef") != std::string::npos) return std::nullopt;
  return lower;
}

std::optional<std::string> build_allowance_request(const AllowanceRequest& request) {
  std::optional<std::string> payload = fixed_text(request.auth_token_b, kTokenFieldSize, true);
  if (!payload) return std::nullopt;
  util::append_u32(*payload, request.amount);
  return payload;
}

std::optional<AllowanceRequest> parse_allowance_request(std::string_view payload) {
  if (payload.size() != kAllowanceRequestSize) return std::nullopt;
  std::optional<std::string> token = read_fixed_text(payload.substr(0, kTokenFieldSize));
  if (!token) return std::nullopt;
  return AllowanceRequest{*token, util::read_u32(payload.data() + kTokenFieldSize)};
}

std::string build_allowance_reply(const AllowanceReply& reply) {
  std::string body(1, static_cast<char>(reply.status));
  util::append_u64(body, static_cast<uint64_t>(reply.balance));
  return typed_answer(kAllowanceType, body);
}

std::optional<AllowanceReply> parse_allowance_reply(std::string_view reply) {
  if (reply.size() != kAllowanceReplySize) return std::nullopt;
  return AllowanceReply{static_cast<uint8_t>(reply[4]), static_cast<int64_t>(util::read_u64(reply.data() + 5))};
}

std::optional<std::string> build_false_report_request(std::string_view hash) {
  std::optional<std::string> lower = normalized_file_hash(hash);
  if (!lower) return std::nullopt;
  return *lower + '\0';
}

std::optional<std::string> parse_false_report_request(std::string_view payload) {
  if (payload.size() != kFalseReportRequestSize || payload.back() != '\0') return std::nullopt;
  return normalized_file_hash(payload.substr(0, 32));
}

std::string build_false_report_reply(uint16_t count) {
  std::string body;
  util::append_u16(body, count);
  return typed_answer(kFalseReportType, body);
}

std::optional<uint16_t> parse_false_report_reply(std::string_view reply) {
  if (reply.size() != kFalseReportReplySize) return std::nullopt;
  return util::read_u16(reply.data() + 4);
}

}  // namespace dovel::service
