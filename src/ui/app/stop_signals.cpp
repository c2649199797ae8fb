#include "ui/app/stop_signals.h"

#include <pthread.h>

#include "core/message_ids.h"

namespace dovel::ui {

namespace {

sigset_t stop_signal_set() {
  sigset_t stop_set;
  sigemptyset(&stop_set);
  for (int signal : {SIGTERM, SIGINT, SIGUSR1}) sigaddset(&stop_set, signal);
  return stop_set;
}

}  // namespace

void StopSignals::block() {
  const sigset_t stop_set = stop_signal_set();
  pthread_sigmask(SIG_BLOCK, &stop_set, nullptr);
}

StopSignals::StopSignals(core::MessageTarget& hub) : signals_(stop_signal_set()) {
  block();
  // SIGUSR1 only ends the watcher.
  thread_ = std::thread([this, &hub] {
    int received = 0;
    while (sigwait(&signals_, &received) == 0 && received != SIGUSR1) hub.post({core::UM_EXIT_COMMAND, 0, 0, nullptr});
  });
}

StopSignals::~StopSignals() {
  pthread_kill(thread_.native_handle(), SIGUSR1);
  thread_.join();
}

}  // namespace dovel::ui
