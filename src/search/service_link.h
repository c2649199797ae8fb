#pragma once

#include <memory>

#include "platform/stop_signal.h"
#include "service/endpoints.h"

namespace dovel::search {

// How long a search waits for a search server or relay to connect and for each read.
inline constexpr int kServiceWaitMs = 5000;

// A connection to a search server or relay of the service, leaving from the
// client's bind address; the search's stop shuts it down. nullptr when it
// cannot be made within kServiceWaitMs or the search was stopped.
std::unique_ptr<platform::WatchedSocket> connect_search_service(const service::ServiceEndpoints& endpoints, const service::Endpoint& to,
                                                      platform::StopSignal& stop);

}  // namespace dovel::search
