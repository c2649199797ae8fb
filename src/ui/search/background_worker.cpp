#include "ui/search/background_worker.h"

#include <QMetaObject>

namespace dovel::ui {

BackgroundWorker::BackgroundWorker(QObject* receiver) : receiver_(receiver), thread_([this] { loop(); }) {}

BackgroundWorker::~BackgroundWorker() {
  {
    std::lock_guard guard(lock_);
    closing_ = true;
    jobs_.clear();
  }
  wake_.notify_one();
  thread_.join();
}

void BackgroundWorker::run(std::function<void()> work, std::function<void()> done) {
  post([this, work = std::move(work), done = std::move(done)]() mutable {
    work();
    deliver(std::move(done));
  });
}

void BackgroundWorker::post(std::function<void()> job) {
  {
    std::lock_guard guard(lock_);
    if (closing_) return;
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void BackgroundWorker::deliver(std::function<void()> answer) {
  // The receiver outlives this thread (it owns the worker, which joins the
  // thread first); Qt drops a queued call whose receiver went meanwhile.
  QMetaObject::invokeMethod(receiver_, std::move(answer), Qt::QueuedConnection);
}

void BackgroundWorker::loop() {
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock guard(lock_);
      wake_.wait(guard, [this] { return closing_ || !jobs_.empty(); });
      if (closing_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    job();
  }
}

}  // namespace dovel::ui
