#include "core/message_loop.h"

#include <optional>

namespace dovel::core {

void PlainMessageLoop::post(Message message) {
  {
    std::lock_guard guard(lock_);
    if (quit_) return;
    queue_.push_back(std::move(message));
  }
  wake_.notify_one();
}

void PlainMessageLoop::set_timer(TimerId id, int period_ms) {
  {
    std::lock_guard guard(lock_);
    const std::chrono::milliseconds period(period_ms > 0 ? period_ms : 1);
    timers_[id] = {period, Clock::now() + period};
  }
  wake_.notify_one();
}

void PlainMessageLoop::kill_timer(TimerId id) {
  std::lock_guard guard(lock_);
  timers_.erase(id);
}

void PlainMessageLoop::quit() {
  {
    std::lock_guard guard(lock_);
    quit_ = true;
    queue_.clear();
  }
  wake_.notify_all();
}

bool PlainMessageLoop::timer_running(TimerId id) const {
  std::lock_guard guard(lock_);
  return timers_.count(id) != 0;
}

bool PlainMessageLoop::quitting() const {
  std::lock_guard guard(lock_);
  return quit_;
}

void PlainMessageLoop::run(MessageHandler& handler) {
  while (!quitting()) handle_one(handler, Clock::time_point::max());
}

bool PlainMessageLoop::run_for(MessageHandler& handler, int ms) {
  const Clock::time_point until = Clock::now() + std::chrono::milliseconds(ms);
  while (!quitting() && Clock::now() < until) handle_one(handler, until);
  return quitting();
}

bool PlainMessageLoop::handle_one(MessageHandler& handler, Clock::time_point until) {
  std::optional<Message> message;
  std::optional<TimerId> due_timer;
  {
    std::unique_lock guard(lock_);
    while (!quit_) {
      if (!queue_.empty()) {
        message = std::move(queue_.front());
        queue_.pop_front();
        break;
      }
      const Clock::time_point now = Clock::now();
      Clock::time_point next = until;
      for (auto& [id, timer] : timers_) {
        if (timer.due <= now) {
          // A late timer ticks once, not once per period it missed.
          timer.due = now + timer.period;
          due_timer = id;
          break;
        }
        if (timer.due < next) next = timer.due;
      }
      if (due_timer) break;
      if (now >= until) return false;
      if (next == Clock::time_point::max()) {
        wake_.wait(guard);
      } else {
        wake_.wait_until(guard, next);
      }
    }
  }
  if (message) {
    handler.on_message(*message);
    return true;
  }
  if (due_timer) {
    handler.on_timer(*due_timer);
    return true;
  }
  return false;
}

}  // namespace dovel::core
