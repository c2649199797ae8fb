#include "central/connection_loop.h"

#include <poll.h>

#include <cerrno>
#include <chrono>

#include "central/request_reader.h"

namespace dovel::central {
namespace {

using SteadyClock = std::chrono::steady_clock;

int idle_left_ms(const ConnectionHandler& handler, const Limits& limits, SteadyClock::time_point last_heard) {
  const int limit = handler.holds_state() ? limits.held_idle_ms : limits.request_idle_ms;
  const auto silent = std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - last_heard).count();
  return silent >= limit ? 0 : limit - static_cast<int>(silent);
}

// Writes what waits in the outbox; false when the connection must end.
bool flush_outbox(Connection& connection) {
  Outbox::Taken taken = connection.outbox()->take();
  for (const std::string& item : taken.items) {
    if (!connection.send(item)) {
      connection.log("push", "client does not read");
      return false;
    }
  }
  return !taken.end;
}

}  // namespace

void serve_connection(Connection& connection, ConnectionHandler& handler) {
  const RoleContext& role = connection.role();
  auto last_heard = SteadyClock::now();
  while (true) {
    const int idle_left = idle_left_ms(handler, role.limits, last_heard);
    if (idle_left == 0) {
      connection.log("-", "idle, closed");
      break;
    }
    pollfd entries[3] = {{connection.fd(), POLLIN, 0}, {connection.outbox()->fd(), POLLIN, 0}, {role.stop.fd(), POLLIN, 0}};
    int ready = ::poll(entries, 3, idle_left);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || entries[2].revents != 0) break;
    if (entries[1].revents != 0 && !flush_outbox(connection)) break;
    if (entries[0].revents == 0) continue;
    RequestRead read = read_request(connection.fd(), handler.max_payload(), role.limits.frame_ms);
    if (read.status != ReadStatus::Ok) {
      if (read.status != ReadStatus::Closed) connection.log("-", read_status_text(read.status));
      break;
    }
    last_heard = SteadyClock::now();
    if (handler.on_frame(connection, read.frame) == ConnectionHandler::Next::Close || connection.broken()) break;
  }
  handler.on_end(connection);
  // What was queued before the end (a last notice) still goes out.
  if (!role.stop.raised()) flush_outbox(connection);
  connection.close_in_order();
}

}  // namespace dovel::central
