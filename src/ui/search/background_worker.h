#pragma once

#include <QObject>

#include <functional>

#include "core/task_worker.h"

namespace dovel::ui {

// One thread that runs a window's slow calls (a page fetch, stopping a search)
// in order, away from the GUI thread, and hands each result back to the
// window's thread. The window owns it as a member: its end waits for the call
// that is running and drops those still waiting, and no answer reaches a
// window that is gone.
class BackgroundWorker {
 public:
  // Answers are delivered on `receiver`'s thread; the receiver owns the worker.
  explicit BackgroundWorker(QObject* receiver);
  ~BackgroundWorker();
  BackgroundWorker(const BackgroundWorker&) = delete;
  BackgroundWorker& operator=(const BackgroundWorker&) = delete;

  // Runs `work` on the worker thread, then `done` with its result on the receiver's thread.
  template <typename Result>
  void run(std::function<Result()> work, std::function<void(Result)> done) {
    post([this, work = std::move(work), done = std::move(done)]() mutable {
      Result result = work();
      deliver([done = std::move(done), result = std::move(result)]() mutable { done(std::move(result)); });
    });
  }
  void run(std::function<void()> work, std::function<void()> done);

 private:
  void post(std::function<void()> job) { tasks_.run(std::move(job)); }
  void deliver(std::function<void()> answer);

  QObject* receiver_;
  core::TaskWorker tasks_;
};

}  // namespace dovel::ui
