#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "core/worker_thread.h"
#include "server/control_handler.h"
#include "wire/peer_socket.h"

namespace dovel::server {

// Hash requests one session may have waiting for its worker. A peer asking
// faster than the worker answers is read no further until it catches up, so a
// flood costs the server this many small records, never more.
inline constexpr size_t kMostWaitingHashJobs = 32;

// The answer to one hash request; nullopt: none is sent.
using HashJobAnswerer = std::function<std::optional<std::string>(const HashJob&)>;

// A session's hash worker: answers hash requests on the session's socket on a
// thread of its own, so that slow hashing never stalls the session. A reply
// that cannot be sent in time ends the session: the peer has stopped reading,
// and every further reply would wait as long.
class HashWorker {
 public:
  HashWorker(std::shared_ptr<wire::PeerSocket> socket, HashJobAnswerer answer, size_t most_waiting = kMostWaitingHashJobs,
             int reply_timeout_ms = wire::kSendTimeoutMs);
  ~HashWorker();
  HashWorker(const HashWorker&) = delete;
  HashWorker& operator=(const HashWorker&) = delete;

  // Queues the job, first waiting while `most_waiting` jobs wait already. False
  // when the socket was shut down meanwhile: the session is over.
  bool post(HashJob job);
  // Jobs queued or being answered.
  size_t waiting() const;

 private:
  void answer_job(core::Message& message);

  std::shared_ptr<wire::PeerSocket> socket_;
  HashJobAnswerer answer_;
  const size_t most_waiting_;
  const int reply_timeout_ms_;
  mutable std::mutex lock_;
  std::condition_variable room_;
  size_t waiting_ = 0;
  core::WorkerThread thread_;
};

}  // namespace dovel::server
