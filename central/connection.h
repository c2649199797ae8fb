#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "central/central_config.h"
#include "central/outbox.h"
#include "central/request_log.h"
#include "central/stop_signal.h"
#include "platform/socket.h"
#include "service/endpoints.h"

namespace dovel::central {

// What every connection of a role shares.
struct RoleContext {
  std::string role;  // as the request log names it
  const Limits& limits;
  RequestLog& log;
  const StopSignal& stop;
};

// One accepted client socket. Only the thread that serves it reads or writes
// it; other threads reach it through its outbox.
class Connection {
 public:
  Connection(platform::UniqueFd fd, service::Endpoint peer, const RoleContext& role);

  int fd() const { return fd_.get(); }
  const service::Endpoint& peer() const { return peer_; }
  std::string peer_text() const;
  const RoleContext& role() const { return role_; }
  const std::shared_ptr<Outbox>& outbox() const { return outbox_; }

  // Writes everything before the send deadline; false (and the connection is
  // broken) when the client does not take it in time or is gone.
  bool send(std::string_view bytes);
  bool broken() const { return broken_; }

  void log(std::string_view request, std::string_view result) const;

  // Ends the connection in order: our FIN after what was sent, then whatever the
  // client still sends is read and dropped until it closes (bounded), so that
  // the close never turns into a reset. A broken connection is just closed.
  void close_in_order();

 private:
  platform::UniqueFd fd_;
  service::Endpoint peer_;
  const RoleContext& role_;
  std::shared_ptr<Outbox> outbox_;
  bool broken_ = false;
};

}  // namespace dovel::central
