#include "platform/spawn.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace dovel::platform {

std::optional<pid_t> spawn_process(const std::vector<std::string>& argv, const std::optional<std::filesystem::path>& working_folder) {
  if (argv.empty() || argv.front().empty()) return std::nullopt;
  std::vector<char*> arguments;
  arguments.reserve(argv.size() + 1);
  for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return std::nullopt;
  if (working_folder && posix_spawn_file_actions_addchdir_np(&actions, working_folder->c_str()) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return std::nullopt;
  }
  // Ignored signals and the calling thread's signal mask survive exec. We ignore
  // SIGPIPE and workers may block signals; the child gets the defaults instead.
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return std::nullopt;
  }
  sigset_t to_default;
  sigset_t no_signals;
  sigemptyset(&to_default);
  sigaddset(&to_default, SIGPIPE);
  sigemptyset(&no_signals);
  posix_spawnattr_setsigdefault(&attributes, &to_default);
  posix_spawnattr_setsigmask(&attributes, &no_signals);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t pid = 0;
  int result = posix_spawnp(&pid, arguments.front(), &actions, &attributes, arguments.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) return std::nullopt;
  return pid;
}

int wait_process(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool spawn_detached(const std::vector<std::string>& argv, const std::optional<std::filesystem::path>& working_folder) {
  std::optional<pid_t> pid = spawn_process(argv, working_folder);
  if (!pid) return false;
  std::thread([child = *pid] { wait_process(child); }).detach();
  return true;
}

}  // namespace dovel::platform
