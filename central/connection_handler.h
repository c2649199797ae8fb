#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include "central/connection.h"
#include "service/frame.h"

namespace dovel::central {

// What one role does with the frames of one connection; a new handler serves
// each connection and keeps that connection's state (session, registration, ...).
class ConnectionHandler {
 public:
  virtual ~ConnectionHandler() = default;

  enum class Next { Continue, Close };
  virtual Next on_frame(Connection& connection, const service::Frame& frame) = 0;
  // The connection is ending, for whatever reason; release what it held.
  virtual void on_end(Connection&) {}

  // The longest payload a frame of this role may carry.
  virtual size_t max_payload() const = 0;
  // Whether the connection holds something (a session, a registration, ...) and
  // so may stay silent longer than one that only asks.
  virtual bool holds_state() const = 0;
};

using HandlerFactory = std::function<std::unique_ptr<ConnectionHandler>()>;

}  // namespace dovel::central
