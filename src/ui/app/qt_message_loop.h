#pragma once

#include <QObject>
#include <QTimer>

#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "core/message_loop.h"

namespace dovel::ui {

// The hub's queue driven by Qt's event loop: the handler runs on the thread
// that owns this object (the GUI thread), between the widgets' own events. Any
// thread may post and set or kill timers; what they ask is carried out on the
// GUI thread in the order asked. Quitting ends the application's event loop
// once the handler has returned to it; later posts are dropped.
class QtMessageLoop final : public QObject, public core::MessageLoop {
  Q_OBJECT

 public:
  explicit QtMessageLoop(QObject* parent = nullptr);
  ~QtMessageLoop() override;

  // The handler of every message and timer tick, from now on.
  void attach(core::MessageHandler* handler);

  void post(core::Message message) override;
  void set_timer(core::TimerId id, int period_ms) override;
  void kill_timer(core::TimerId id) override;
  void quit() override;

  bool timer_running(core::TimerId id) const;

 private:
  // On the GUI thread: applies the timer changes, then hands over the messages.
  void drain();
  void wake_locked();
  void apply_timer(core::TimerId id, int period_ms);

  mutable std::mutex lock_;
  std::deque<core::Message> queue_;
  // Asked timer periods by id; a negative period kills the timer.
  std::map<core::TimerId, int> timer_changes_;
  bool wake_pending_ = false;
  bool quit_ = false;
  core::MessageHandler* handler_ = nullptr;
  // GUI thread only.
  std::map<core::TimerId, std::unique_ptr<QTimer>> timers_;
};

}  // namespace dovel::ui
