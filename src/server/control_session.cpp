#include "server/control_session.h"

#include "core/message_ids.h"
#include "server/control_handler.h"
#include "server/hash_worker.h"
#include "server/peer_database.h"
#include "server/upload_monitor.h"

namespace dovel::server {

void run_control_session(ShareServerContext& context, std::shared_ptr<wire::PeerSocket> socket, uint64_t id) {
  auto stopping = [socket] { return socket->is_shut_down(); };
  PeerDatabase database(context.database_file, *context.hashing, stopping);
  auto peer = std::make_shared<ConnectedPeer>(id, context.clock->tick());
  if (context.monitor != nullptr) {
    auto payload = std::make_unique<PeerConnectedPayload>();
    payload->peer = peer;
    context.monitor->post({core::UM_PEER_CONNECTED, id, 0, std::move(payload)});
  }
  {
    ControlHandler handler(context, database, peer);
    // The worker reads the database through a connection of its own.
    PeerDatabase worker_database(context.database_file, *context.hashing, stopping);
    HashWorker worker(socket, [&context, &worker_database](const HashJob& job) {
      return ControlHandler::answer_hash_job(context, worker_database, job);
    });
    const std::vector<std::string> greeting = handler.greeting();
    bool open = !greeting.empty();
    for (const std::string& frame : greeting) open = open && socket->send_frame(frame);
    while (open) {
      std::optional<std::string> payload = wire::read_client_frame(socket->fd(), wire::kMaxClientFrameLength, kControlIdleMs, kControlFrameMs);
      if (!payload) break;
      ControlHandler::Outcome outcome = handler.handle(*payload);
      for (const std::string& reply : outcome.replies) open = open && socket->send_frame(reply);
      if (open && outcome.hash_job) open = worker.post(std::move(*outcome.hash_job));
      open = open && outcome.keep_open;
    }
    socket->shutdown();
  }
  if (context.monitor != nullptr) context.monitor->post({core::UM_PEER_DISCONNECTED, id, 0, nullptr});
}

}  // namespace dovel::server
