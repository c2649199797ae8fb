#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dovel::service {

// Paid content on the point servers: whether a file is a registered work that
// costs prepaid currency (별머니), and what the user's state for it is.

// The content query ('<', and the payment '=' with the same payload): three
// NUL-padded 32-byte fields, auth_token_a, auth_token_b and the content key
// (the file's hash), then one unused byte sent as 0.
inline constexpr size_t kContentRequestSize = 97;

struct ContentRequest {
  std::string auth_token_a;
  std::string auth_token_b;
  std::string content_key;  // 32 lower-case hex digits
};
// nullopt when a token does not fit its field or the key is not 32 hex digits.
std::optional<std::string> build_content_request(const ContentRequest& request);
std::optional<ContentRequest> parse_content_request(std::string_view payload);

// The content answer: u16 length (always 308), u16 type, then 306 bytes.
inline constexpr uint16_t kContentAnswerLength = 308;
inline constexpr size_t kContentAnswerSize = 2 + kContentAnswerLength;
inline constexpr size_t kMaxWorkTitleBytes = 288;  // in its 289-byte field with the NUL

// Content statuses; 0 and below mean free.
inline constexpr int8_t kContentFree = 0;
inline constexpr int8_t kContentNotPaid = 1;
inline constexpr int8_t kContentPaidRecently = 2;  // paid within the last 24 hours
inline constexpr int8_t kContentBalanceTooLow = 3;

struct ContentAnswer {
  int8_t status = kContentFree;
  int64_t price = 0;         // in 별머니
  int64_t star_money = 0;    // the user's 별머니 balance
  std::string work_title;
};
// nullopt when the title has no CP949 form or is longer than its field.
std::optional<std::string> build_content_answer(const ContentAnswer& answer);
// The whole answer with its length word; nullopt for any length but 308 or a
// title that is not CP949.
std::optional<ContentAnswer> parse_content_answer(std::string_view answer);

}  // namespace dovel::service
