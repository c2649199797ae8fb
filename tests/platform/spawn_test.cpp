#include "platform/spawn.h"

#include <pthread.h>
#include <signal.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "support/temp_folder.h"
#include "support/eventually.h"

namespace dovel::platform {
namespace {

namespace fs = std::filesystem;

TEST(Spawn, ExitCodeOfTheChild) {
  struct Case {
    std::vector<std::string> argv;
    int exit_code;
  };
  const Case cases[] = {
      {{"true"}, 0},
      {{"false"}, 1},
      {{"sh", "-c", "exit 7"}, 7},
      {{"/bin/sh", "-c", "exit 255"}, 255},
      {{"sh", "-c", "kill -9 $$"}, -1},  // killed, not exited
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.argv.back());
    std::optional<pid_t> pid = spawn_process(c.argv);
    ASSERT_TRUE(pid);
    EXPECT_EQ(wait_process(*pid), c.exit_code);
  }
}

TEST(Spawn, ArgumentsArriveLiterally) {
  test::TempFolder temp;
  const fs::path out = temp / "out";
  const std::string arguments[] = {
      "a b;\"c",
      "$(touch pwned) `touch pwned` ; rm -rf pwned &",
      "*",
      "'single' \\back\\",
      "한글 이름",
      "",
      "-n",
      "line\nbreak",
  };
  for (const std::string& argument : arguments) {
    SCOPED_TRACE(argument);
    // The shell here is the program we run; the argument reaches it as $1 without
    // passing through any shell on the way.
    std::optional<pid_t> pid = spawn_process({"sh", "-c", "printf %s \"$1\" > \"$2\"", "x", argument, out.string()});
    ASSERT_TRUE(pid);
    ASSERT_EQ(wait_process(*pid), 0);
    EXPECT_EQ(read_whole_file(out, 1000), argument);
  }
  EXPECT_FALSE(fs::exists(temp / "pwned"));
  EXPECT_FALSE(fs::exists("pwned"));
}

TEST(Spawn, WorkingFolderIsHonoured) {
  test::TempFolder temp;
  fs::create_directories(temp / "work dir");
  std::optional<pid_t> pid = spawn_process({"sh", "-c", "pwd -P > here.txt"}, temp / "work dir");
  ASSERT_TRUE(pid);
  ASSERT_EQ(wait_process(*pid), 0);
  EXPECT_EQ(read_whole_file(temp / "work dir" / "here.txt", 1000), fs::canonical(temp / "work dir").string() + "\n");
}

TEST(Spawn, WhatCannotBeStartedGivesNothing) {
  test::TempFolder temp;
  const fs::path not_executable = temp.write("plain.txt", "echo hi\n");
  EXPECT_EQ(spawn_process({"dovel-no-such-program-here"}), std::nullopt);
  EXPECT_EQ(spawn_process({(temp / "missing").string()}), std::nullopt);
  EXPECT_EQ(spawn_process({not_executable.string()}), std::nullopt);
  EXPECT_EQ(spawn_process({}), std::nullopt);
  EXPECT_EQ(spawn_process({""}), std::nullopt);
  EXPECT_EQ(spawn_process({"true"}, temp / "no such folder"), std::nullopt);
  EXPECT_FALSE(spawn_detached({"dovel-no-such-program-here"}));
}

// The program ignores SIGPIPE and worker threads may block signals; a helper must
// not inherit either, or a pipeline in it would never see its reader go away.
TEST(Spawn, ChildStartsWithDefaultSignalHandling) {
  struct sigaction previous {};
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGPIPE, &ignore, &previous), 0);
  sigset_t blocked;
  sigset_t previous_mask;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &blocked, &previous_mask), 0);

  // Each shell signals itself; with the default action in place that ends it.
  std::optional<pid_t> pipe_child = spawn_process({"sh", "-c", "kill -PIPE $$; exit 0"});
  std::optional<pid_t> term_child = spawn_process({"sh", "-c", "kill -TERM $$; exit 0"});

  ::pthread_sigmask(SIG_SETMASK, &previous_mask, nullptr);
  ::sigaction(SIGPIPE, &previous, nullptr);
  ASSERT_TRUE(pipe_child);
  ASSERT_TRUE(term_child);
  EXPECT_EQ(wait_process(*pipe_child), -1) << "SIGPIPE was still ignored in the child";
  EXPECT_EQ(wait_process(*term_child), -1) << "SIGTERM was still blocked in the child";
}

TEST(Spawn, DetachedChildRuns) {
  test::TempFolder temp;
  ASSERT_TRUE(spawn_detached({"sh", "-c", "echo done > finished.tmp && mv finished.tmp finished"}, temp.path()));
  EXPECT_TRUE(test::eventually([&] { return fs::exists(temp / "finished"); }));
}

}  // namespace
}  // namespace dovel::platform
