#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "central/account_store.h"
#include "central/held_connections.h"
#include "central/request_log.h"
#include "central/startup_documents.h"
#include "platform/socket.h"

namespace dovel::central {

struct WebHostContext {
  AccountStore& accounts;
  RequestLog& log;
  StartupDocuments& documents;
  // Pushes a text (UTF-8) of a push type to every session, or to one ID's;
  // how many sessions took it, or nullopt when the text has no wire form.
  std::function<std::optional<size_t>(uint16_t type, std::string_view text, const std::optional<std::string>& to)> push;
  // The registrations and announcements, which the operator may end by client address.
  HeldConnections& held;
};

// The service's web host over plain HTTP: the status file and update list the
// client checks at start, the warning status, placeholders for the pages the
// client opens, and, for callers on this machine only, an admin surface that
// pushes notices (121) and system lines (125) to online users, ends the
// registrations and announcements of one client address, and switches the
// status file and the update list.
class WebHost {
 public:
  explicit WebHost(const WebHostContext& context);
  ~WebHost();
  WebHost(const WebHost&) = delete;
  WebHost& operator=(const WebHost&) = delete;

  // Binds and starts serving; false when the address cannot be bound.
  bool start(platform::Ipv4 address, uint16_t port);
  void stop();

 private:
  struct Server;
  std::unique_ptr<Server> server_;
};

}  // namespace dovel::central
