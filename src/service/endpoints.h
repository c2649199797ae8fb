#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/socket.h"

namespace dovel::service {

struct Endpoint {
  platform::Ipv4 address = 0;
  uint16_t port = 0;
  bool operator==(const Endpoint&) const = default;
};

// Where the central service's servers are. Two hosts (A and B) carry every role;
// which host and port serves which role follows the service's fixed table, and
// the hosts, ports and the web host come from "service.conf" in the data home.
struct ServiceEndpoints {
  Endpoint authentication;                 // login, pushes, chat relay, list sync
  std::array<Endpoint, 3> registration;    // also the server lists, address lookups and search peer lists
  std::array<Endpoint, 3> file_index;      // announcements
  std::array<Endpoint, 3> source_lookup;   // same servers, own table
  std::array<Endpoint, 2> relay;           // search relay
  std::array<Endpoint, 2> port_test;       // host B first, then host A
  std::array<Endpoint, 2> point;
  std::array<Endpoint, 2> report;          // download reports
  std::string web_base;                    // "http://host:port", no trailing slash
  uint16_t launcher_port = 31222;          // the local launcher channel of this client
  // The address this client's connections leave from (0: any), so that clients
  // sharing one machine are told apart by the addresses the service sees.
  platform::Ipv4 bind_address = 0;

  static ServiceEndpoints defaults();
};

// The settings of service.conf ("key = value" lines, '#' comments).
struct ServiceConfig {
  platform::Ipv4 host_a = 0;
  platform::Ipv4 host_b = 0;
  std::string web_base;
  uint16_t authentication_port = 11060;
  std::array<uint16_t, 3> registration_ports{11072, 11073, 11074};
  std::array<uint16_t, 3> file_index_ports{11082, 11083, 11084};
  uint16_t relay_port = 11090;
  uint16_t port_test_port = 11050;
  std::array<uint16_t, 2> point_ports{11030, 11031};
  std::array<uint16_t, 2> report_ports{11035, 11036};
  uint16_t launcher_port = 31222;
  platform::Ipv4 bind_address = 0;

  static ServiceConfig defaults();
  ServiceEndpoints endpoints() const;
  // The text form, which parse reads back unchanged.
  std::string format() const;
};

struct ServiceConfigLoad {
  ServiceConfig config;
  // One line per unknown key or bad value; those keep their defaults.
  std::vector<std::string> problems;
};

ServiceConfigLoad parse_service_config(std::string_view text);

// The web host's port when service.conf names none of its own.
inline constexpr uint16_t kDefaultWebPort = 11080;
// "http://HOST:PORT".
std::string web_base_on(platform::Ipv4 host, uint16_t port = kDefaultWebPort);
// Reads DATA_HOME/service.conf; a missing file gives the defaults (loopback).
ServiceConfigLoad load_service_config(const std::filesystem::path& data_home);

inline constexpr std::string_view kServiceConfigFile = "service.conf";

}  // namespace dovel::service
