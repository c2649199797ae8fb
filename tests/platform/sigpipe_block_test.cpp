#include "platform/sigpipe_block.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace dovel::platform {
namespace {

bool sigpipe_blocked() {
  sigset_t mask;
  pthread_sigmask(SIG_BLOCK, nullptr, &mask);
  return sigismember(&mask, SIGPIPE) == 1;
}

bool sigpipe_pending() {
  sigset_t pending;
  sigpending(&pending);
  return sigismember(&pending, SIGPIPE) == 1;
}

// With SIGPIPE at its default, a send into a closed connection would end this
// test program; inside the block it is only EPIPE, and nothing is left over.
TEST(SigpipeBlock, ASendfileIntoAClosedConnectionFailsWithoutTheSignal) {
  ASSERT_NE(signal(SIGPIPE, SIG_DFL), SIG_ERR);
  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  ::close(pair[1]);
  FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  ASSERT_GE(std::fputs("data", file), 0);
  std::fflush(file);
  ASSERT_FALSE(sigpipe_blocked());
  {
    SigpipeBlock block;
    EXPECT_TRUE(sigpipe_blocked());
    off_t offset = 0;
    EXPECT_EQ(::sendfile(pair[0], fileno(file), &offset, 4), -1);
    EXPECT_EQ(errno, EPIPE);
  }
  EXPECT_FALSE(sigpipe_blocked());
  EXPECT_FALSE(sigpipe_pending());
  std::fclose(file);
  ::close(pair[0]);
}

}  // namespace
}  // namespace dovel::platform
