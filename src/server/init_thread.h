#pragma once

#include <string>
#include <thread>

#include "core/message.h"
#include "server/port_check.h"
#include "server/share_server_settings.h"

namespace dovel::server {

// The start-up port check on a thread of its own, so that the front can show
// the waiting note meanwhile. When the check ends, `done_target` gets
// UM_INIT_DONE with wparam 1 when the server is usable and a
// StartupPortCheckOutcome as payload; that closes the note.
class InitThread {
 public:
  // Starts the check at once; the settings and the target must outlive this object.
  InitThread(ShareServerSettings& settings, PortTester tester, core::MessageTarget& done_target);
  // Waits for the check to end (its time-outs bound that wait).
  ~InitThread();
  InitThread(const InitThread&) = delete;
  InitThread& operator=(const InitThread&) = delete;

  // "9910 TCP/UDP 포트를 검사중입니다. ...", with the port being checked.
  const std::string& waiting_note() const { return waiting_note_; }
  // Waits for the check to end; UM_INIT_DONE has been posted then.
  void join();

 private:
  void run();

  ShareServerSettings& settings_;
  const PortTester tester_;
  core::MessageTarget& done_target_;
  const std::string waiting_note_;
  std::thread thread_;
};

}  // namespace dovel::server
