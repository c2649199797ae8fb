#include "server/init_thread.h"

#include <memory>
#include <utility>

#include "core/message_ids.h"
#include "server/startup_port_check.h"

namespace dovel::server {

InitThread::InitThread(ShareServerSettings& settings, PortTester tester, core::MessageTarget& done_target)
    : settings_(settings),
      tester_(std::move(tester)),
      done_target_(done_target),
      waiting_note_(port_check_waiting_note(startup_check_port(settings))),
      thread_([this] { run(); }) {}

InitThread::~InitThread() { join(); }

void InitThread::join() {
  if (thread_.joinable()) thread_.join();
}

void InitThread::run() {
  auto outcome = std::make_unique<StartupPortCheckOutcome>(run_startup_port_check(settings_, tester_));
  core::Message done;
  done.id = core::UM_INIT_DONE;
  done.wparam = outcome->server_usable ? 1 : 0;
  done.payload = std::move(outcome);
  done_target_.post(std::move(done));
}

}  // namespace dovel::server
