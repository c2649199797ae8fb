#pragma once

#include <optional>
#include <string>

#include "central/connection_handler.h"
#include "central/held_connections.h"
#include "central/registration_table.h"
#include "central/session_registry.h"
#include "platform/clock.h"

namespace dovel::central {

struct RegistrationContext {
  RegistrationTable& table;
  const SessionRegistry& sessions;
  const platform::Clock& clock;
  HeldConnections& held;
};

// A registration channel's side of one connection: the registration that lives
// as long as the connection, its counters, title and switches; and the
// questions any connection may ask: the channel's server list, the search peer
// list and the address of a user's server.
class RegistrationHandler final : public ConnectionHandler {
 public:
  RegistrationHandler(const RegistrationContext& context, size_t channel) : context_(context), channel_(channel) {}

  Next on_frame(Connection& connection, const service::Frame& frame) override;
  void on_end(Connection& connection) override;
  size_t max_payload() const override;
  bool holds_state() const override { return registered_id_.has_value(); }

 private:
  void register_server(Connection& connection, std::string_view payload);
  void set_visibility(Connection& connection, std::string_view payload);
  void update_registration(Connection& connection, const service::Frame& frame);
  void send_server_list(Connection& connection);
  void send_peer_list(Connection& connection);
  void look_up_address(Connection& connection, std::string_view payload);

  const RegistrationContext& context_;
  const size_t channel_;
  std::optional<std::string> registered_id_;
  HeldConnections::Id held_id_ = 0;
};

}  // namespace dovel::central
