#pragma once

#include <optional>
#include <string_view>

#include "service/endpoints.h"
#include "service/paid_content_messages.h"
#include "service/point_server_connection.h"

namespace dovel::service {

struct PaidState {
  ContentAnswer answer;  // status (0 and below: free), price, 별머니 balance, work title
  // False when neither point server could be reached: the file then counts as
  // free, and the point allowance asked next decides.
  bool answered = false;
};

// Asks a point server for the paid state of the file `hash` for the user of
// the session tokens. nullopt when the exchange failed after connecting (no
// whole answer in time, a length other than 308, a title that is not CP949) or
// when the request cannot be built (a token too long, a hash that is not 32 hex
// digits). Blocking, within `timing`.
std::optional<PaidState> query_paid_state(const ServiceEndpoints& endpoints, std::string_view auth_token_a, std::string_view auth_token_b,
                                          std::string_view hash, const PointExchangeTiming& timing = kContentTiming);

}  // namespace dovel::service
