#pragma once

#include <signal.h>

#include <thread>

#include "core/message.h"

namespace dovel::ui {

// Turns SIGTERM and SIGINT into the orderly exit command, posted to the hub.
class StopSignals {
 public:
  // Blocks the signals in the calling thread; called before any other thread
  // starts, every thread inherits the mask and only the watcher takes them.
  static void block();

  explicit StopSignals(core::MessageTarget& hub);
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  sigset_t signals_;
  std::thread thread_;
};

}  // namespace dovel::ui
