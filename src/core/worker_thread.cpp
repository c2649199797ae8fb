#include "core/worker_thread.h"

namespace dovel::core {

WorkerThread::WorkerThread(Handler handler) : handler_(std::move(handler)), thread_([this] { run(); }) {}

WorkerThread::~WorkerThread() { stop(); }

void WorkerThread::post(Message message) {
  {
    std::lock_guard guard(lock_);
    if (stopping_) return;
    queue_.push_back(std::move(message));
  }
  wake_.notify_one();
}

void WorkerThread::stop() {
  {
    std::lock_guard guard(lock_);
    stopping_ = true;
    queue_.clear();
  }
  wake_.notify_one();
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void WorkerThread::run() {
  while (true) {
    Message message;
    {
      std::unique_lock guard(lock_);
      wake_.wait(guard, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      message = std::move(queue_.front());
      queue_.pop_front();
    }
    handler_(message);
  }
}

}  // namespace dovel::core
