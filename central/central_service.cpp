#include "central/central_service.h"

#include <algorithm>
#include <atomic>
#include <set>
#include <vector>

#include "central/auth_server.h"
#include "central/central_database.h"
#include "central/connection_server.h"
#include "central/echo_probes.h"
#include "central/false_report_store.h"
#include "central/file_index.h"
#include "central/file_index_server.h"
#include "central/held_connections.h"
#include "central/point_server.h"
#include "central/port_test_server.h"
#include "central/registration_server.h"
#include "central/registration_table.h"
#include "central/relay_tickets.h"
#include "central/report_server.h"
#include "central/request_log.h"
#include "central/search_relay.h"
#include "central/service_conf.h"
#include "central/session_registry.h"
#include "central/stop_signal.h"
#include "central/udp_receiver.h"
#include "central/web_host.h"
#include "platform/cp949.h"
#include "service/relay_messages.h"

namespace dovel::central {
namespace {

// The port-test socket only ever takes the 4-byte echoes.
constexpr size_t kMaxEchoDatagram = 16;

std::string endpoint_text(const service::Endpoint& endpoint) {
  return platform::format_ipv4(endpoint.address) + ":" + std::to_string(endpoint.port);
}

// Host A and host B may be one address; a port both hosts serve is then bound once.
std::vector<service::Endpoint> distinct(std::initializer_list<service::Endpoint> endpoints) {
  std::vector<service::Endpoint> result;
  for (const service::Endpoint& endpoint : endpoints) {
    if (std::find(result.begin(), result.end(), endpoint) == result.end()) result.push_back(endpoint);
  }
  return result;
}

struct PortTestEndpoint {
  PortTestEndpoint(service::Endpoint at, const Limits& limits, const StopSignal& stop)
      : udp(at, kMaxEchoDatagram, stop), context{at.address, -1, probes, running, limits} {}

  EchoProbes probes;
  std::atomic<size_t> running{0};
  UdpReceiver udp;
  PortTestContext context;
};

}  // namespace

struct CentralService::Parts {
  Parts(const CentralConfig& config, const platform::Clock& clock)
      : log(config.home / std::string(kRequestLogFile)),
        database(config.home),
        accounts(database),
        reports(database),
        false_reports(database),
        sessions(config.limits.max_sessions),
        registrations(config.limits.channel_capacity),
        auth{sessions, accounts, config.open_signup},
        points{sessions, accounts, false_reports},
        registration{registrations, sessions, clock, held},
        documents(config.status_file),
        web({accounts, log, documents, [this](uint16_t type, std::string_view text, const std::optional<std::string>& to) { return push(type, text, to); },
             held}) {}

  std::optional<size_t> push(uint16_t type, std::string_view text, const std::optional<std::string>& to) {
    std::optional<std::string> wire = platform::utf8_to_cp949(text);
    if (!wire) return std::nullopt;
    if (!to) return sessions.push_to_all(type, *wire);
    std::shared_ptr<Session> session = sessions.find(*to);
    return session && session->push(type, *wire) ? 1 : 0;
  }

  RoleContext role(std::string name, const Limits& limits) { return RoleContext{std::move(name), limits, log, stop}; }

  StopSignal stop;
  RequestLog log;
  CentralDatabase database;
  AccountStore accounts;
  ReportStore reports;
  FalseReportStore false_reports;
  SessionRegistry sessions;
  RegistrationTable registrations;
  FileIndex file_index;
  HeldConnections held;
  RelayTickets tickets;
  AuthContext auth;
  PointContext points;
  RegistrationContext registration;
  std::vector<std::unique_ptr<ConnectionServer>> listeners;
  std::vector<std::unique_ptr<UdpReceiver>> relay_sockets;
  std::vector<std::unique_ptr<PortTestEndpoint>> port_tests;
  StartupDocuments documents;
  WebHost web;
  bool started = false;
};

CentralService::CentralService(CentralConfig config, const platform::Clock& clock) : config_(std::move(config)), clock_(clock) {
  std::filesystem::create_directories(config_.home);
  parts_ = std::make_unique<Parts>(config_, clock_);
}

CentralService::~CentralService() { stop(); }

bool CentralService::start(std::string* error) {
  Parts& parts = *parts_;
  const Limits& limits = config_.limits;
  const service::ServiceEndpoints endpoints = config_.service.endpoints();
  std::string failure;
  auto listen = [&](std::string role, service::Endpoint at, HandlerFactory make_handler) {
    auto listener = std::make_unique<ConnectionServer>(parts.role(role, limits), at, std::move(make_handler));
    if (!listener->start() && failure.empty()) failure = "cannot listen for " + role + " on " + endpoint_text(at);
    parts.listeners.push_back(std::move(listener));
  };

  listen("auth", endpoints.authentication, [&parts] { return std::make_unique<AuthHandler>(parts.auth); });
  for (size_t channel = 0; channel < kChannels; ++channel) {
    listen("registration-" + std::to_string(channel), endpoints.registration[channel],
           [&parts, channel] { return std::make_unique<RegistrationHandler>(parts.registration, channel); });
    listen("file-index-" + std::to_string(channel), endpoints.file_index[channel],
           [&parts] { return std::make_unique<FileIndexHandler>(parts.file_index, parts.held); });
  }
  for (size_t i = 0; i < endpoints.point.size(); ++i) {
    listen("points-" + std::to_string(i), endpoints.point[i], [&parts] { return std::make_unique<PointHandler>(parts.points); });
  }
  for (size_t i = 0; i < endpoints.report.size(); ++i) {
    listen("report-" + std::to_string(i), endpoints.report[i], [&parts, this] { return std::make_unique<ReportHandler>(parts.reports, clock_); });
  }
  for (const service::Endpoint& at : distinct({endpoints.relay[0], endpoints.relay[1]})) {
    const std::string role = "relay " + platform::format_ipv4(at.address);
    listen(role, at, [&parts] { return std::make_unique<RelayHandler>(parts.tickets); });
    auto udp = std::make_unique<UdpReceiver>(at, service::kMaxRelayedLength, parts.stop);
    if (udp->bind()) {
      udp->start([&parts, role](std::string_view datagram, const service::Endpoint& from) {
        forward_result_datagram(parts.tickets, datagram, from, parts.log, role);
      });
    } else if (failure.empty()) {
      failure = "cannot bind the relay's UDP port " + endpoint_text(at);
    }
    parts.relay_sockets.push_back(std::move(udp));
  }
  for (const service::Endpoint& at : distinct({endpoints.port_test[0], endpoints.port_test[1]})) {
    auto tests = std::make_unique<PortTestEndpoint>(at, limits, parts.stop);
    EchoProbes& probes = tests->probes;
    if (tests->udp.bind()) {
      tests->context.udp_socket = tests->udp.fd();
      tests->udp.start([&probes](std::string_view datagram, const service::Endpoint& from) { probes.offer(datagram, from); });
    } else if (failure.empty()) {
      failure = "cannot bind the port test's UDP port " + endpoint_text(at);
    }
    const PortTestContext& context = tests->context;
    listen("port-test " + platform::format_ipv4(at.address), at, [&context] { return std::make_unique<PortTestHandler>(context); });
    parts.port_tests.push_back(std::move(tests));
  }
  std::optional<service::Endpoint> web = web_host_endpoint(config_.service);
  if (!web) {
    if (failure.empty()) failure = "the web host is not a plain http:// address: " + config_.service.web_base;
  } else if (!parts.web.start(web->address, web->port) && failure.empty()) {
    failure = "cannot listen for the web host on " + endpoint_text(*web);
  }

  parts.started = true;
  if (failure.empty()) return true;
  if (error != nullptr) *error = failure;
  stop();
  return false;
}

void CentralService::stop() {
  Parts& parts = *parts_;
  if (!parts.started) return;
  parts.started = false;
  parts.stop.raise();
  for (auto& tests : parts.port_tests) tests->probes.stop();
  parts.web.stop();
  for (auto& listener : parts.listeners) listener->join();
  for (auto& udp : parts.relay_sockets) udp->join();
  for (auto& tests : parts.port_tests) tests->udp.join();
}

size_t CentralService::end_registrations_from(platform::Ipv4 client) { return parts_->held.end_from(client); }

AccountStore& CentralService::accounts() { return parts_->accounts; }
ReportStore& CentralService::reports() { return parts_->reports; }
FalseReportStore& CentralService::false_reports() { return parts_->false_reports; }
StartupDocuments& CentralService::startup_documents() { return parts_->documents; }
uint32_t CentralService::online_count() const { return parts_->sessions.count(); }

std::optional<size_t> CentralService::push(uint16_t type, std::string_view text, const std::optional<std::string>& to) {
  return parts_->push(type, text, to);
}

std::filesystem::path CentralService::request_log_file() const { return config_.home / std::string(kRequestLogFile); }

}  // namespace dovel::central
