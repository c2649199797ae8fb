#pragma once

#include <functional>

#include "core/worker_thread.h"

namespace dovel::core {

// A thread that runs the tasks given to it one after another: the hub's
// blocking service exchanges (login, registration, lists, HTTP), so that the
// hub's own thread never waits on the network. Each task posts its result back.
class TaskWorker {
 public:
  TaskWorker();
  TaskWorker(const TaskWorker&) = delete;
  TaskWorker& operator=(const TaskWorker&) = delete;

  void run(std::function<void()> task);
  // Waits for the task that runs and drops the queued ones.
  void stop() { thread_.stop(); }

 private:
  WorkerThread thread_;
};

}  // namespace dovel::core
