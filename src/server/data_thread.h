#pragma once

#include <memory>

#include "server/data_connections.h"
#include "server/share_server_context.h"

namespace dovel::server {

struct DataThreadOptions {
  // Each read of the request frame; the whole frame gets as long again once it began.
  int request_read_ms = 100000;
  // How long a new download waits for the same user's running upload to end.
  int same_user_wait_ms = 5000;
};

// The body of a data connection's thread, from the moment the server accepted the
// connection and listed it in `list`: says 1 (send the request), reads and checks
// the request, answers its status and, when accepted, the information block and
// the requested bytes. Counts itself among the running uploads while it runs,
// shuts the socket down and takes itself off the list when it ends. Ends
// promptly once the server clears `running` and shuts the socket down.
void serve_data_connection(ShareServerContext& context, DataConnectionList& list, std::shared_ptr<DataConnection> connection,
                           const DataThreadOptions& options = {});

}  // namespace dovel::server
