#include "central/service_conf.h"

#include <system_error>

#include "base/text.h"
#include "platform/atomic_file.h"

namespace dovel::central {

std::optional<service::Endpoint> web_host_endpoint(const service::ServiceConfig& config) {
  constexpr std::string_view kScheme = "http://";
  if (!base::starts_with_ascii_nocase(config.web_base, kScheme)) return std::nullopt;
  std::string_view authority = std::string_view(config.web_base).substr(kScheme.size());
  authority = authority.substr(0, authority.find('/'));
  const size_t colon = authority.find(':');
  uint16_t port = 80;
  if (colon != std::string_view::npos) {
    std::optional<uint32_t> parsed = base::parse_uint32(authority.substr(colon + 1));
    if (!parsed || *parsed == 0 || *parsed > 65535) return std::nullopt;
    port = static_cast<uint16_t>(*parsed);
  }
  std::optional<platform::Ipv4> address = platform::parse_ipv4(authority.substr(0, colon));
  return service::Endpoint{address.value_or(config.host_a), port};
}

PreparedServiceConf prepare_service_conf(const std::filesystem::path& home, const std::optional<platform::Ipv4>& host) {
  PreparedServiceConf prepared;
  const std::filesystem::path file = home / std::string(service::kServiceConfigFile);
  std::error_code ignored;
  if (!std::filesystem::exists(file, ignored)) {
    service::ServiceConfig config = service::ServiceConfig::defaults();
    if (host) config.host_a = config.host_b = *host;
    config.web_base = service::web_base_on(config.host_a);
    if (!platform::write_file_atomically(file, config.format())) prepared.problems.push_back("cannot write " + file.string());
    prepared.written = prepared.problems.empty();
    prepared.config = config;
    return prepared;
  }
  service::ServiceConfigLoad load = service::load_service_config(home);
  prepared.problems = load.problems;
  std::optional<service::Endpoint> web = web_host_endpoint(load.config);
  if (!web) prepared.problems.push_back("service.conf: the web host must be a plain http:// address");
  if (!prepared.problems.empty()) return prepared;
  if (host) {
    load.config.host_a = load.config.host_b = *host;
    load.config.web_base = service::web_base_on(*host, web->port);
  }
  prepared.config = load.config;
  return prepared;
}

}  // namespace dovel::central
