#include "central/registration_server.h"

#include <functional>

#include "base/text.h"
#include "central/reply_prefix.h"
#include "service/auth_messages.h"
#include "service/registration_messages.h"

namespace dovel::central {
namespace {

constexpr size_t kMaxRegistrationPayload = 256;
// Records of at most 95 bytes each keep a list within the client's 2 MiB.
constexpr size_t kMaxListedServers = 20000;

service::ListedServer listed(const Registration& registration) {
  service::ListedServer server;
  server.port = registration.port;
  server.address = registration.address;
  server.opened_minute = static_cast<uint8_t>(registration.opened.minute);
  server.opened_hour = static_cast<uint8_t>(registration.opened.hour);
  server.opened_day = static_cast<uint8_t>(registration.opened.day);
  server.opened_month = static_cast<uint8_t>(registration.opened.month);
  server.shared_mib = registration.shared_mib;
  server.shared_files = registration.shared_files;
  server.peak_speed = registration.peak_speed;
  server.user_id = registration.user_id;
  server.title = registration.title;
  return server;
}

}  // namespace

size_t RegistrationHandler::max_payload() const { return kMaxRegistrationPayload; }

ConnectionHandler::Next RegistrationHandler::on_frame(Connection& connection, const service::Frame& frame) {
  switch (frame.type) {
    case service::kRegisterType: register_server(connection, frame.payload); break;
    case service::kVisibilityType: set_visibility(connection, frame.payload); break;
    case service::kCountersType:
    case service::kPeakSpeedType:
    case service::kTitleType:
    case service::kUltraTurboType: update_registration(connection, frame); break;
    case service::kServerListType: send_server_list(connection); break;
    case service::kPeerListType: send_peer_list(connection); break;
    case service::kAddressLookupType: look_up_address(connection, frame.payload); break;
    default: connection.log("type " + std::to_string(frame.type), "ignored"); break;
  }
  return Next::Continue;
}

void RegistrationHandler::register_server(Connection& connection, std::string_view payload) {
  auto answer = [&](int result, const std::string& note) {
    connection.log("register", std::to_string(result) + " " + note);
    connection.send(with_long_prefix(service::build_result_reply(service::kRegisterType, result)));
  };
  if (registered_id_) return answer(service::kRegisterAlreadyRegistered, *registered_id_ + " registered on this connection already");
  std::optional<service::RegistrationRecord> record = service::parse_registration_record(payload);
  if (!record || record->port == 0) return answer(service::kRegisterDatabaseError, "malformed record");
  Registration registration;
  registration.user_id = base::ascii_lower(record->user_id);
  if (!context_.sessions.find(registration.user_id)) return answer(service::kRegisterDatabaseError, registration.user_id + " has no session");
  registration.address = connection.peer().address;
  registration.port = record->port;
  registration.shown = record->show_server;
  registration.ultra_turbo = record->ultra_turbo;
  registration.shared_mib = record->shared_mib;
  registration.shared_files = record->shared_files;
  registration.peak_speed = record->peak_speed;
  registration.title = record->title;
  registration.opened = context_.clock.local_now();
  const std::string id = registration.user_id;
  switch (context_.table.add(channel_, std::move(registration))) {
    case RegistrationTable::Outcome::Registered:
      registered_id_ = id;
      held_id_ = context_.held.add(connection.peer().address, connection.outbox());
      return answer(service::kRegisterOk, id);
    case RegistrationTable::Outcome::AlreadyRegistered: return answer(service::kRegisterAlreadyRegistered, id + " holds a registration here");
    case RegistrationTable::Outcome::Full: return answer(service::kRegisterChannelFull, "channel full");
  }
}

void RegistrationHandler::set_visibility(Connection& connection, std::string_view payload) {
  std::optional<bool> shown = service::parse_switch(payload);
  const bool applied = shown && registered_id_ &&
                       context_.table.update(channel_, *registered_id_, [&](Registration& registration) { registration.shown = *shown; });
  connection.log("visibility", applied ? (*shown ? "1 shown" : "1 hidden") : "0 no registration or malformed");
  connection.send(with_long_prefix(service::build_result_reply(service::kVisibilityType, applied ? 1 : 0)));
}

void RegistrationHandler::update_registration(Connection& connection, const service::Frame& frame) {
  std::function<void(Registration&)> change;
  std::string request;
  switch (frame.type) {
    case service::kCountersType:
      request = "counters";
      if (auto counters = service::parse_counters(frame.payload)) {
        change = [counters](Registration& r) {
          r.shared_mib = counters->shared_mib;
          r.shared_files = counters->shared_files;
        };
      }
      break;
    case service::kPeakSpeedType:
      request = "peak-speed";
      if (auto speed = service::parse_peak_speed(frame.payload)) change = [speed](Registration& r) { r.peak_speed = *speed; };
      break;
    case service::kTitleType:
      request = "title";
      if (auto title = service::parse_title_payload(frame.payload)) change = [title](Registration& r) { r.title = *title; };
      break;
    default:
      request = "ultra-turbo";
      if (auto on = service::parse_switch(frame.payload)) change = [on](Registration& r) { r.ultra_turbo = *on; };
      break;
  }
  if (!change) return connection.log(request, "malformed, ignored");
  if (!registered_id_ || !context_.table.update(channel_, *registered_id_, change)) return connection.log(request, "no registration, ignored");
  connection.log(request, "updated");
}

void RegistrationHandler::send_server_list(Connection& connection) {
  std::vector<service::ListedServer> servers;
  for (const Registration& registration : context_.table.channel(channel_)) {
    if (registration.shown && servers.size() < kMaxListedServers) servers.push_back(listed(registration));
  }
  connection.log("server-list", std::to_string(servers.size()) + " servers");
  connection.send(with_long_prefix(service::build_server_list(servers)));
}

void RegistrationHandler::send_peer_list(Connection& connection) {
  std::vector<service::ServerAddress> peers;
  for (const Registration& registration : context_.table.channel(channel_)) peers.push_back({registration.address, registration.port});
  connection.log("peer-list", std::to_string(peers.size()) + " peers");
  connection.send(with_long_prefix(service::build_peer_list(peers)));
}

void RegistrationHandler::look_up_address(Connection& connection, std::string_view payload) {
  std::optional<std::string> id = service::parse_id_request(payload);
  std::optional<Registration> found = id ? context_.table.find(*id) : std::nullopt;
  connection.log("address-lookup", !id ? "malformed, not found" : found ? *id + " found" : *id + " not found");
  connection.send(with_long_prefix(found ? service::build_address_reply(found->address, found->port) : service::build_address_reply(0, 0)));
}

void RegistrationHandler::on_end(Connection& connection) {
  if (!registered_id_) return;
  context_.held.remove(held_id_);
  context_.table.remove(channel_, *registered_id_);
  connection.log("register", "ended " + *registered_id_);
}

}  // namespace dovel::central
