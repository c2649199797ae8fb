#pragma once

#include "service/endpoints.h"

namespace dovel::service {

// Where a client's launcher channel listens, and so where the launcher program
// hands it a request. Always on loopback: whoever reaches the channel can make
// the client log in or download, so it must never be open to the network. A
// bind address inside 127.0.0.0/8 (several clients on one machine) is used as
// it is; any other bind address, or none, puts the channel on 127.0.0.1, where
// clients are told apart by the launcher_port of their data home's service.conf.
Endpoint launcher_channel_endpoint(const ServiceEndpoints& endpoints);

}  // namespace dovel::service
