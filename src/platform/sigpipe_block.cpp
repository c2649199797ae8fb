#include "platform/sigpipe_block.h"

#include <pthread.h>

#include <cerrno>
#include <ctime>

namespace dovel::platform {
namespace {

sigset_t sigpipe_only() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGPIPE);
  return set;
}

bool sigpipe_pending() {
  sigset_t pending;
  sigemptyset(&pending);
  return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

}  // namespace

SigpipeBlock::SigpipeBlock() {
  const sigset_t set = sigpipe_only();
  pthread_sigmask(SIG_BLOCK, &set, &old_mask_);
  was_pending_ = sigpipe_pending();
}

SigpipeBlock::~SigpipeBlock() {
  if (!was_pending_ && sigpipe_pending()) {
    const sigset_t set = sigpipe_only();
    const timespec no_wait{0, 0};
    while (sigtimedwait(&set, nullptr, &no_wait) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &old_mask_, nullptr);
}

}  // namespace dovel::platform
