#include "ui/app/qt_message_loop.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <utility>
#include <vector>

namespace dovel::ui {

QtMessageLoop::QtMessageLoop(QObject* parent) : QObject(parent) {}

QtMessageLoop::~QtMessageLoop() = default;

void QtMessageLoop::attach(core::MessageHandler* handler) {
  std::lock_guard guard(lock_);
  handler_ = handler;
}

void QtMessageLoop::post(core::Message message) {
  std::lock_guard guard(lock_);
  if (quit_) return;
  queue_.push_back(std::move(message));
  wake_locked();
}

void QtMessageLoop::set_timer(core::TimerId id, int period_ms) {
  std::lock_guard guard(lock_);
  timer_changes_[id] = std::max(period_ms, 0);
  wake_locked();
}

void QtMessageLoop::kill_timer(core::TimerId id) {
  std::lock_guard guard(lock_);
  timer_changes_[id] = -1;
  wake_locked();
}

void QtMessageLoop::quit() {
  std::lock_guard guard(lock_);
  if (quit_) return;
  quit_ = true;
  queue_.clear();
  QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

bool QtMessageLoop::timer_running(core::TimerId id) const {
  std::lock_guard guard(lock_);
  auto found = timers_.find(id);
  return found != timers_.end() && found->second->isActive();
}

// One queued wake-up at a time: whatever arrives before it runs goes with it.
void QtMessageLoop::wake_locked() {
  if (wake_pending_) return;
  wake_pending_ = true;
  QMetaObject::invokeMethod(this, &QtMessageLoop::drain, Qt::QueuedConnection);
}

void QtMessageLoop::drain() {
  std::map<core::TimerId, int> timer_changes;
  std::deque<core::Message> messages;
  core::MessageHandler* handler = nullptr;
  {
    std::lock_guard guard(lock_);
    wake_pending_ = false;
    timer_changes.swap(timer_changes_);
    messages.swap(queue_);
    handler = handler_;
  }
  for (const auto& [id, period] : timer_changes) apply_timer(id, period);
  for (core::Message& message : messages) {
    {
      std::lock_guard guard(lock_);
      if (quit_) return;
    }
    if (handler != nullptr) handler->on_message(message);
  }
}

void QtMessageLoop::apply_timer(core::TimerId id, int period_ms) {
  std::unique_ptr<QTimer> old;
  {
    std::lock_guard guard(lock_);
    auto found = timers_.find(id);
    if (found != timers_.end()) {
      old = std::move(found->second);
      timers_.erase(found);
    }
  }
  if (old) old->stop();
  if (period_ms < 0) return;
  auto timer = std::make_unique<QTimer>();
  timer->setInterval(period_ms);
  connect(timer.get(), &QTimer::timeout, this, [this, id] {
    core::MessageHandler* handler = nullptr;
    {
      std::lock_guard guard(lock_);
      if (quit_) return;
      handler = handler_;
    }
    if (handler != nullptr) handler->on_timer(id);
  });
  timer->start();
  std::lock_guard guard(lock_);
  timers_[id] = std::move(timer);
}

}  // namespace dovel::ui
