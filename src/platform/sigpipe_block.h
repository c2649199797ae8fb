#pragma once

#include <signal.h>

namespace dovel::platform {

// Keeps SIGPIPE away from the calling thread while it lives, for sends that
// cannot say MSG_NOSIGNAL (sendfile): the failed send reports EPIPE instead of
// the signal ending the process. A SIGPIPE raised meanwhile is taken off the
// thread before the old signal mask comes back; one that was pending already
// is left as it was.
class SigpipeBlock {
 public:
  SigpipeBlock();
  ~SigpipeBlock();
  SigpipeBlock(const SigpipeBlock&) = delete;
  SigpipeBlock& operator=(const SigpipeBlock&) = delete;

 private:
  sigset_t old_mask_;
  bool was_pending_ = false;
};

}  // namespace dovel::platform
