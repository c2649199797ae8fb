#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/socket.h"
#include "service/endpoints.h"

namespace dovel::central {

// Where the web host listens: the address and port of the configuration's web
// host (port 80 when it names none; host A when its host is not an address).
// nullopt when it is not a plain "http://" address.
std::optional<service::Endpoint> web_host_endpoint(const service::ServiceConfig& config);

struct PreparedServiceConf {
  std::optional<service::ServiceConfig> config;  // nullopt: cannot serve (see problems)
  std::vector<std::string> problems;             // bad lines of service.conf, or why it cannot be used
  bool written = false;                          // a fresh service.conf was written for clients to copy
};

// The hosts and ports to serve on. With a service.conf in the home, its hosts
// and ports (with `host`, that address replaces host A, host B and the web
// host's address). Without one, the defaults on `host` (else 127.0.0.1), and the
// file is written with them. A service.conf with a bad line is not used.
PreparedServiceConf prepare_service_conf(const std::filesystem::path& home, const std::optional<platform::Ipv4>& host);

}  // namespace dovel::central
