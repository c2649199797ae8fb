#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "core/message.h"

namespace dovel::core {

// A thread that takes messages from others and handles them one at a time, in
// order, with its own queue. Stopping drops what is still queued and joins.
class WorkerThread final : public MessageTarget {
 public:
  using Handler = std::function<void(Message&)>;

  explicit WorkerThread(Handler handler);
  ~WorkerThread() override;
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Queues the message; ignored once stopping began.
  void post(Message message) override;
  // Ends the thread after the message being handled; waits for it.
  void stop();

 private:
  void run();

  Handler handler_;
  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<Message> queue_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace dovel::core
