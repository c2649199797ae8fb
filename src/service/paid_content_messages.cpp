#include "service/paid_content_messages.h"

#include "service/point_messages.h"
#include "service/wire_text.h"
#include "util/little_endian.h"

namespace dovel::service {
namespace {

constexpr size_t kStatusOffset = 4;
constexpr size_t kPriceOffset = 5;
constexpr size_t kStarMoneyOffset = 13;
constexpr size_t kTitleOffset = 21;
constexpr size_t kTitleField = kMaxWorkTitleBytes + 1;

}  // namespace

std::optional<std::string> build_content_request(const ContentRequest& request) {
  std::optional<std::string> token_a = fixed_text(request.auth_token_a, kTokenFieldSize, true);
  std::optional<std::string> token_b = fixed_text(request.auth_token_b, kTokenFieldSize, true);
  std::optional<std::string> key = normalized_file_hash(request.content_key);
  if (!token_a || !token_b || !key) return std::nullopt;
  return *token_a + *token_b + *key + '\0';
}

std::optional<ContentRequest> parse_content_request(std::string_view payload) {
  if (payload.size() != kContentRequestSize) return std::nullopt;
  std::optional<std::string> token_a = read_fixed_text(payload.substr(0, kTokenFieldSize));
  std::optional<std::string> token_b = read_fixed_text(payload.substr(kTokenFieldSize, kTokenFieldSize));
  std::optional<std::string> key = normalized_file_hash(payload.substr(2 * kTokenFieldSize, kTokenFieldSize));
  if (!token_a || !token_b || !key) return std::nullopt;
  return ContentRequest{*token_a, *token_b, *key};
}

std::optional<std::string> build_content_answer(const ContentAnswer& answer) {
  std::optional<std::string> title = fixed_text(answer.work_title, kTitleField);
  if (!title) return std::nullopt;
  std::string bytes;
  util::append_u16(bytes, kContentAnswerLength);
  util::append_u16(bytes, kContentQueryType);
  bytes += static_cast<char>(answer.status);
  util::append_u64(bytes, static_cast<uint64_t>(answer.price));
  util::append_u64(bytes, static_cast<uint64_t>(answer.star_money));
  return bytes + *title;
}

std::optional<ContentAnswer> parse_content_answer(std::string_view answer) {
  if (answer.size() != kContentAnswerSize || util::read_u16(answer.data()) != kContentAnswerLength) return std::nullopt;
  std::optional<std::string> title = read_fixed_text(answer.substr(kTitleOffset, kTitleField));
  if (!title) return std::nullopt;
  return ContentAnswer{static_cast<int8_t>(answer[kStatusOffset]), static_cast<int64_t>(util::read_u64(answer.data() + kPriceOffset)),
                       static_cast<int64_t>(util::read_u64(answer.data() + kStarMoneyOffset)), *title};
}

}  // namespace dovel::service
