#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dovel::service {

// Frame types of the point servers.
inline constexpr uint16_t kBalanceType = '3';
inline constexpr uint16_t kAllowanceType = '4';
inline constexpr uint16_t kUploadTallyType = '5';
inline constexpr uint16_t kFalseReportType = '9';
inline constexpr uint16_t kContentQueryType = '<';
inline constexpr uint16_t kContentPaymentType = '=';
inline constexpr uint16_t kPairTallyType = '>';

// The session tokens travel NUL-padded in 32-byte fields; a token of the full
// width goes without its terminator, as the login reply delivers it.
inline constexpr size_t kTokenFieldSize = 32;

// Download allowance ('4'): auth_token_b, then the requested amount (u32).
inline constexpr size_t kAllowanceRequestSize = kTokenFieldSize + 4;
// The answer: u16 length 11, u16 type, the status byte, the balance (i64).
inline constexpr size_t kAllowanceReplySize = 13;
inline constexpr uint8_t kAllowanceStatusAllowed = 1;
inline constexpr uint8_t kAllowanceStatusRefused = 2;  // refused for the account
// Any other status means "not enough points"; this is the one the stand-in sends.
inline constexpr uint8_t kAllowanceStatusShort = 3;

struct AllowanceRequest {
  std::string auth_token_b;
  uint32_t amount = 0;
};
// nullopt when the token has no CP949 form or is longer than its field.
std::optional<std::string> build_allowance_request(const AllowanceRequest& request);
std::optional<AllowanceRequest> parse_allowance_request(std::string_view payload);

struct AllowanceReply {
  uint8_t status = 0;
  int64_t balance = 0;
};
std::string build_allowance_reply(const AllowanceReply& reply);
// Exactly the 13 bytes of the answer; the status is byte 4, the balance bytes 5..12.
std::optional<AllowanceReply> parse_allowance_reply(std::string_view reply);

// False-report check ('9'): the file's 32 hex digits and a NUL.
inline constexpr size_t kFalseReportRequestSize = 33;
// The answer: u16 length 4, u16 type, the number of false-file reports (u16).
inline constexpr size_t kFalseReportReplySize = 6;

// nullopt for anything but 32 hex digits; the hash travels in lower case.
std::optional<std::string> build_false_report_request(std::string_view hash);
std::optional<std::string> parse_false_report_request(std::string_view payload);  // lower-case
std::string build_false_report_reply(uint16_t count);
// Exactly the 6 bytes of the answer.
std::optional<uint16_t> parse_false_report_reply(std::string_view reply);

// The 32 hex digits of a FileHash in lower case; nullopt for anything else.
std::optional<std::string> normalized_file_hash(std::string_view hash);

}  // namespace dovel::service
