#include "support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

extern char** environ;

namespace dovel::test {

ProgramResult run_program(const std::vector<std::string>& argv, int timeout_ms) {
  ProgramResult result;
  int out_pipe[2];
  int err_pipe[2];
  if (::pipe2(out_pipe, O_CLOEXEC) != 0) return result;
  if (::pipe2(err_pipe, O_CLOEXEC) != 0) {
    ::close(out_pipe[0]);
    ::close(out_pipe[1]);
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
  std::vector<char*> arguments;
  for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, arguments[0], &actions, nullptr, arguments.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  if (spawned != 0) {
    ::close(out_pipe[0]);
    ::close(err_pipe[0]);
    return result;
  }

  auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  pollfd readers[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.output, &result.errors};
  int open_count = 2;
  while (open_count > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(give_up - std::chrono::steady_clock::now()).count();
    if (left <= 0) {
      ::kill(pid, SIGKILL);
      break;
    }
    if (::poll(readers, 2, static_cast<int>(left)) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (readers[i].fd < 0 || readers[i].revents == 0) continue;
      char buffer[4096];
      ssize_t got = ::read(readers[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      } else {
        ::close(readers[i].fd);
        readers[i].fd = -1;
        --open_count;
      }
    }
  }
  for (pollfd& reader : readers) {
    if (reader.fd >= 0) ::close(reader.fd);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace dovel::test
