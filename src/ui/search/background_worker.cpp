#include "ui/search/background_worker.h"

#include <QMetaObject>

namespace dovel::ui {

BackgroundWorker::BackgroundWorker(QObject* receiver) : receiver_(receiver) {}

BackgroundWorker::~BackgroundWorker() { tasks_.stop(); }

void BackgroundWorker::run(std::function<void()> work, std::function<void()> done) {
  post([this, work = std::move(work), done = std::move(done)]() mutable {
    work();
    deliver(std::move(done));
  });
}

void BackgroundWorker::deliver(std::function<void()> answer) {
  // The receiver outlives the worker's thread (it owns the worker, which joins
  // the thread first); Qt drops a queued call whose receiver went meanwhile.
  QMetaObject::invokeMethod(receiver_, std::move(answer), Qt::QueuedConnection);
}

}  // namespace dovel::ui
