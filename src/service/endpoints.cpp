#include "service/endpoints.h"

#include <optional>

#include "base/string_printf.h"
#include "base/text.h"
#include "platform/atomic_file.h"

namespace dovel::service {
namespace {

constexpr size_t kMaxConfigBytes = 64 * 1024;

std::optional<uint16_t> parse_port(std::string_view text) {
  auto value = base::parse_uint32(text);
  if (!value || *value == 0 || *value > 65535) return std::nullopt;
  return static_cast<uint16_t>(*value);
}

template <size_t N>
bool parse_ports(std::string_view text, std::array<uint16_t, N>& ports) {
  std::vector<std::string> words;
  for (std::string& word : base::split(text, ' ')) {
    if (!word.empty()) words.push_back(std::move(word));
  }
  if (words.size() != N) return false;
  std::array<uint16_t, N> parsed{};
  for (size_t i = 0; i < N; ++i) {
    auto port = parse_port(words[i]);
    if (!port) return false;
    parsed[i] = *port;
  }
  ports = parsed;
  return true;
}

template <size_t N>
std::string ports_text(const std::array<uint16_t, N>& ports) {
  std::string text;
  for (size_t i = 0; i < N; ++i) text += (i > 0 ? " " : "") + std::to_string(ports[i]);
  return text;
}

bool parse_web_base(std::string_view text, std::string& web_base) {
  size_t scheme_length = base::starts_with_ascii_nocase(text, "https://") ? 8 : base::starts_with_ascii_nocase(text, "http://") ? 7 : 0;
  if (scheme_length == 0) return false;
  if (text.find_first_of(" \t\"'<>") != std::string_view::npos) return false;
  while (text.size() > scheme_length && text.back() == '/') text.remove_suffix(1);
  // Without a host there is nothing to reach, and what format() would write
  // ("http:" once the slashes were gone) would not read back.
  if (text.size() == scheme_length || text[scheme_length] == '/') return false;
  web_base = std::string(text);
  return true;
}

bool apply(ServiceConfig& config, std::string_view key, std::string_view value) {
  auto set_host = [&](platform::Ipv4& host) {
    auto address = platform::parse_ipv4(value);
    if (address) host = *address;
    return address.has_value();
  };
  auto set_port = [&](uint16_t& port) {
    auto parsed = parse_port(value);
    if (parsed) port = *parsed;
    return parsed.has_value();
  };
  if (key == "host_a") return set_host(config.host_a);
  if (key == "host_b") return set_host(config.host_b);
  if (key == "web_host") return parse_web_base(value, config.web_base);
  if (key == "authentication_port") return set_port(config.authentication_port);
  if (key == "registration_ports") return parse_ports(value, config.registration_ports);
  if (key == "file_index_ports") return parse_ports(value, config.file_index_ports);
  if (key == "relay_port") return set_port(config.relay_port);
  if (key == "port_test_port") return set_port(config.port_test_port);
  if (key == "point_ports") return parse_ports(value, config.point_ports);
  if (key == "report_ports") return parse_ports(value, config.report_ports);
  if (key == "launcher_port") return set_port(config.launcher_port);
  if (key == "bind_address") return set_host(config.bind_address);
  return false;
}

}  // namespace

std::string web_base_on(platform::Ipv4 host, uint16_t port) { return "http://" + platform::format_ipv4(host) + ":" + std::to_string(port); }

ServiceConfig ServiceConfig::defaults() {
  ServiceConfig config;
  config.host_a = *platform::parse_ipv4("127.0.0.1");
  config.host_b = config.host_a;
  config.web_base = web_base_on(config.host_a);
  return config;
}

ServiceEndpoints ServiceConfig::endpoints() const {
  ServiceEndpoints endpoints;
  endpoints.authentication = {host_a, authentication_port};
  // Index 0 and 1 are on host A, index 2 on host B.
  for (size_t i = 0; i < 3; ++i) {
    platform::Ipv4 host = i < 2 ? host_a : host_b;
    endpoints.registration[i] = {host, registration_ports[i]};
    endpoints.file_index[i] = {host, file_index_ports[i]};
  }
  endpoints.source_lookup = endpoints.file_index;
  endpoints.relay = {Endpoint{host_a, relay_port}, Endpoint{host_b, relay_port}};
  endpoints.port_test = {Endpoint{host_b, port_test_port}, Endpoint{host_a, port_test_port}};
  endpoints.point = {Endpoint{host_a, point_ports[0]}, Endpoint{host_b, point_ports[1]}};
  endpoints.report = {Endpoint{host_a, report_ports[0]}, Endpoint{host_b, report_ports[1]}};
  endpoints.web_base = web_base;
  endpoints.launcher_port = launcher_port;
  endpoints.bind_address = bind_address;
  return endpoints;
}

ServiceEndpoints ServiceEndpoints::defaults() { return ServiceConfig::defaults().endpoints(); }

std::string ServiceConfig::format() const {
  return base::string_printf(
      "# Where the Dovel central service is.\n"
      "host_a = %s\n"
      "host_b = %s\n"
      "web_host = %s\n"
      "authentication_port = %u\n"
      "registration_ports = %s\n"
      "file_index_ports = %s\n"
      "relay_port = %u\n"
      "port_test_port = %u\n"
      "point_ports = %s\n"
      "report_ports = %s\n"
      "# The local launcher channel of this client, and the address it connects from (0.0.0.0: any).\n"
      "launcher_port = %u\n"
      "bind_address = %s\n",
      platform::format_ipv4(host_a).c_str(), platform::format_ipv4(host_b).c_str(), web_base.c_str(), authentication_port,
      ports_text(registration_ports).c_str(), ports_text(file_index_ports).c_str(), relay_port, port_test_port,
      ports_text(point_ports).c_str(), ports_text(report_ports).c_str(), launcher_port, platform::format_ipv4(bind_address).c_str());
}

ServiceConfigLoad parse_service_config(std::string_view text) {
  ServiceConfigLoad load{ServiceConfig::defaults(), {}};
  int line_number = 0;
  for (const std::string& raw_line : base::split(text, '\n')) {
    ++line_number;
    std::string_view line = base::trim(raw_line);
    if (line.empty() || line.front() == '#') continue;
    size_t equals = line.find('=');
    std::string_view key = base::trim(line.substr(0, equals));
    std::string_view value = equals == std::string_view::npos ? std::string_view() : base::trim(line.substr(equals + 1));
    if (equals == std::string_view::npos || !apply(load.config, key, value)) {
      load.problems.push_back(base::string_printf("service.conf line %d: %s", line_number, std::string(line.substr(0, 200)).c_str()));
    }
  }
  return load;
}

ServiceConfigLoad load_service_config(const std::filesystem::path& data_home) {
  std::filesystem::path path = data_home / std::string(kServiceConfigFile);
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return {ServiceConfig::defaults(), {}};
  auto text = platform::read_whole_file(path, kMaxConfigBytes);
  if (!text) return {ServiceConfig::defaults(), {"service.conf cannot be read: " + path.string()}};
  return parse_service_config(*text);
}

}  // namespace dovel::service
