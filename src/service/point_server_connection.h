#pragma once

#include "platform/socket.h"
#include "service/endpoints.h"

namespace dovel::service {

// How long one point-server exchange may wait: for each connect attempt, and
// for each read of the answer (the whole answer gets the same time).
struct PointExchangeTiming {
  int connect_ms;
  int read_ms;
};

inline constexpr PointExchangeTiming kAllowanceTiming{5000, 15000};
inline constexpr PointExchangeTiming kFalseReportTiming{5000, 15000};
// The content requests allow the point server longer to connect.
inline constexpr PointExchangeTiming kContentTiming{10000, 10000};

// A new connection to one of the two point servers: a random one first, then
// the other; an invalid descriptor when neither could be reached.
platform::UniqueFd connect_to_point_server(const ServiceEndpoints& endpoints, int connect_ms);

}  // namespace dovel::service
