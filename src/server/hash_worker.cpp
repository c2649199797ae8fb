#include "server/hash_worker.h"

#include <chrono>

#include "core/message_ids.h"

namespace dovel::server {
namespace {

// How often a session waiting for room looks whether its socket was shut down.
constexpr auto kRoomCheck = std::chrono::milliseconds(100);

struct HashJobPayload : core::MessagePayload {
  HashJob job;
};

}  // namespace

HashWorker::HashWorker(std::shared_ptr<wire::PeerSocket> socket, HashJobAnswerer answer, size_t most_waiting, int reply_timeout_ms)
    : socket_(std::move(socket)),
      answer_(std::move(answer)),
      most_waiting_(most_waiting),
      reply_timeout_ms_(reply_timeout_ms),
      thread_([this](core::Message& message) { answer_job(message); }) {}

HashWorker::~HashWorker() { thread_.stop(); }

bool HashWorker::post(HashJob job) {
  {
    std::unique_lock guard(lock_);
    while (waiting_ >= most_waiting_) {
      if (socket_->is_shut_down()) return false;
      room_.wait_for(guard, kRoomCheck);
    }
    if (socket_->is_shut_down()) return false;
    ++waiting_;
  }
  auto payload = std::make_unique<HashJobPayload>();
  payload->job = std::move(job);
  thread_.post({core::TM_CONTROL_HASH_REQUEST, 0, 0, std::move(payload)});
  return true;
}

size_t HashWorker::waiting() const {
  std::lock_guard guard(lock_);
  return waiting_;
}

void HashWorker::answer_job(core::Message& message) {
  if (auto* payload = dynamic_cast<HashJobPayload*>(message.payload.get())) {
    if (std::optional<std::string> reply = answer_(payload->job); reply && !socket_->send_frame(*reply, reply_timeout_ms_)) socket_->shutdown();
  }
  {
    std::lock_guard guard(lock_);
    --waiting_;
  }
  room_.notify_one();
}

}  // namespace dovel::server
