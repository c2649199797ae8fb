#include "server/control_session.h"

#include <mutex>

#include "core/message_ids.h"
#include "core/worker_thread.h"
#include "db/database_lock.h"
#include "server/control_handler.h"
#include "server/upload_monitor.h"

namespace dovel::server {
namespace {

void open_connection(db::Sqlite3Connection& connection, const std::filesystem::path& file) {
  std::lock_guard guard(db::database_lock());
  try {
    connection.Open(file);
  } catch (const db::CppSQLite3Exception&) {
    // Look-ups then find nothing; browsing still works.
  }
}

struct HashJobPayload : core::MessagePayload {
  HashJob job;
};

// The session's hash worker: answers hash requests on the session's socket with
// its own database connection, so slow hashing never stalls the session.
class HashWorker {
 public:
  HashWorker(ShareServerContext& context, std::shared_ptr<wire::PeerSocket> socket)
      : context_(context), socket_(std::move(socket)), thread_([this](core::Message& message) { answer(message); }) {}
  ~HashWorker() { thread_.stop(); }

  void post(HashJob job) {
    auto payload = std::make_unique<HashJobPayload>();
    payload->job = std::move(job);
    thread_.post({core::TM_CONTROL_HASH_REQUEST, 0, 0, std::move(payload)});
  }

 private:
  void answer(core::Message& message) {
    auto* payload = dynamic_cast<HashJobPayload*>(message.payload.get());
    if (payload == nullptr) return;
    if (!connection_.IsOpen()) open_connection(connection_, context_.database_file);
    if (auto reply = ControlHandler::answer_hash_job(context_, connection_, payload->job)) socket_->send_frame(*reply);
  }

  ShareServerContext& context_;
  std::shared_ptr<wire::PeerSocket> socket_;
  db::Sqlite3Connection connection_;
  core::WorkerThread thread_;
};

}  // namespace

void run_control_session(ShareServerContext& context, std::shared_ptr<wire::PeerSocket> socket, uint64_t id) {
  db::Sqlite3Connection connection;
  open_connection(connection, context.database_file);
  auto peer = std::make_shared<ConnectedPeer>(id, context.clock->tick());
  if (context.monitor != nullptr) {
    auto payload = std::make_unique<PeerConnectedPayload>();
    payload->peer = peer;
    context.monitor->post({core::UM_PEER_CONNECTED, id, 0, std::move(payload)});
  }
  {
    ControlHandler handler(context, connection, peer);
    HashWorker worker(context, socket);
    const std::vector<std::string> greeting = handler.greeting();
    bool open = !greeting.empty();
    for (const std::string& frame : greeting) open = open && socket->send_frame(frame);
    while (open) {
      std::optional<std::string> payload = wire::read_client_frame(socket->fd(), wire::kMaxClientFrameLength, kControlIdleMs, kControlFrameMs);
      if (!payload) break;
      ControlHandler::Outcome outcome = handler.handle(*payload);
      for (const std::string& reply : outcome.replies) open = open && socket->send_frame(reply);
      if (outcome.hash_job) worker.post(std::move(*outcome.hash_job));
      open = open && outcome.keep_open;
    }
    socket->shutdown();
  }
  if (context.monitor != nullptr) context.monitor->post({core::UM_PEER_DISCONNECTED, id, 0, nullptr});
  std::lock_guard guard(db::database_lock());
  connection.Close();
}

}  // namespace dovel::server
