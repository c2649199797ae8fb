#pragma once

#include <string>
#include <string_view>

namespace dovel::service {

// The service's own domain: the host name of its web host ("http://host:port"
// gives "host"), lower-case; "" when the address names no host.
std::string service_domain(std::string_view web_base);

// Whether an address a user typed contains the service's own domain (ASCII case
// ignored). Nothing does when the domain is unknown.
bool mentions_service_domain(std::string_view address, std::string_view web_base);

}  // namespace dovel::service
