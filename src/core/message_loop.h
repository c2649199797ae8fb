#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>

#include "core/message.h"

namespace dovel::core {

// What runs on the hub's thread: every message and every timer tick.
class MessageHandler {
 public:
  virtual ~MessageHandler() = default;
  virtual void on_message(Message& message) = 0;
  virtual void on_timer(TimerId id) = 0;
};

// The hub's queue. Any thread may post and set or kill timers; the handler runs
// only on the thread that drives the loop. A timer ticks every period until it
// is killed; setting it again replaces its period. The headless program and the
// tests drive the plain loop below; a graphical front drives the same interface
// from its own event loop.
class MessageLoop : public MessageTarget {
 public:
  virtual void set_timer(TimerId id, int period_ms) = 0;
  virtual void kill_timer(TimerId id) = 0;
  // Ends the loop once the handler returns to it; later posts are dropped.
  virtual void quit() = 0;
};

class PlainMessageLoop final : public MessageLoop {
 public:
  void post(Message message) override;
  void set_timer(TimerId id, int period_ms) override;
  void kill_timer(TimerId id) override;
  void quit() override;

  // Handles messages and timer ticks until quit.
  void run(MessageHandler& handler);
  // Handles what arrives or falls due within `ms` and returns; true once quit was asked.
  bool run_for(MessageHandler& handler, int ms);

  bool timer_running(TimerId id) const;
  bool quitting() const;

 private:
  using Clock = std::chrono::steady_clock;
  struct Timer {
    std::chrono::milliseconds period;
    Clock::time_point due;
  };

  // Handles one message or one due timer, waiting until `until` at the most; false when nothing came.
  bool handle_one(MessageHandler& handler, Clock::time_point until);

  mutable std::mutex lock_;
  std::condition_variable wake_;
  std::deque<Message> queue_;
  std::map<TimerId, Timer> timers_;
  bool quit_ = false;
};

}  // namespace dovel::core
