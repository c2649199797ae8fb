#include "service/paid_content_queries.h"

#include "service/point_messages.h"
#include "service/reply_readers.h"
#include "service/service_socket.h"
#include "util/little_endian.h"

namespace dovel::service {

std::optional<PaidState> query_paid_state(const ServiceEndpoints& endpoints, std::string_view auth_token_a, std::string_view auth_token_b,
                                          std::string_view hash, const PointExchangeTiming& timing) {
  std::optional<std::string> request = build_content_request({std::string(auth_token_a), std::string(auth_token_b), std::string(hash)});
  if (!request) return std::nullopt;
  platform::UniqueFd connection = connect_to_point_server(endpoints, timing.connect_ms);
  if (!connection.valid()) return PaidState{};
  if (send_frame(connection.get(), kContentQueryType, *request) < 0) return std::nullopt;
  const ReplyTiming reply_timing{timing.read_ms, platform::Deadline::after_ms(timing.read_ms)};
  // The length word is checked before the body is read.
  std::optional<std::string> start = read_fixed_reply(connection.get(), 4, reply_timing);
  if (!start || util::read_u16(start->data()) != kContentAnswerLength) return std::nullopt;
  std::optional<std::string> rest = read_fixed_reply(connection.get(), kContentAnswerSize - start->size(), reply_timing);
  if (!rest) return std::nullopt;
  std::optional<ContentAnswer> answer = parse_content_answer(*start + *rest);
  if (!answer) return std::nullopt;
  return PaidState{*answer, true};
}

}  // namespace dovel::service
