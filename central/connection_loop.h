#pragma once

#include "central/connection.h"
#include "central/connection_handler.h"

namespace dovel::central {

// Serves a connection to its end: frames from the client go to the handler,
// items of its outbox go out, and it ends in order when the client has been
// silent too long, sends what cannot be read, the handler or the outbox ask, or
// the service stops.
void serve_connection(Connection& connection, ConnectionHandler& handler);

}  // namespace dovel::central
