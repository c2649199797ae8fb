#include "service/launcher_address.h"

namespace dovel::service {

Endpoint launcher_channel_endpoint(const ServiceEndpoints& endpoints) {
  const platform::Ipv4 address = platform::is_loopback_ipv4(endpoints.bind_address) ? endpoints.bind_address : *platform::parse_ipv4("127.0.0.1");
  return {address, endpoints.launcher_port};
}

}  // namespace dovel::service
