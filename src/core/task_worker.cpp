#include "core/task_worker.h"

namespace dovel::core {
namespace {

struct TaskPayload : MessagePayload {
  explicit TaskPayload(std::function<void()> value) : task(std::move(value)) {}
  std::function<void()> task;
};

}  // namespace

TaskWorker::TaskWorker()
    : thread_([](Message& message) {
        if (auto* payload = dynamic_cast<TaskPayload*>(message.payload.get())) payload->task();
      }) {}

void TaskWorker::run(std::function<void()> task) { thread_.post({0, 0, 0, std::make_unique<TaskPayload>(std::move(task))}); }

}  // namespace dovel::core
