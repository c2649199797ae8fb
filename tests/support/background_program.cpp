#include "support/background_program.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/temp_folder.h"

extern char** environ;

namespace dovel::test {

BackgroundProgram::BackgroundProgram(const std::vector<std::string>& argv, std::filesystem::path output_file)
    : output_file_(std::move(output_file)) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output_file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> arguments;
  for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, arguments[0], &actions, nullptr, arguments.data(), environ) == 0) pid_ = pid;
  posix_spawn_file_actions_destroy(&actions);
}

BackgroundProgram::~BackgroundProgram() {
  if (pid_ <= 0 || exit_code_) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  ::waitpid(pid_, &status, 0);
}

void BackgroundProgram::signal(int number) const {
  if (pid_ > 0 && !exit_code_) ::kill(pid_, number);
}

std::optional<int> BackgroundProgram::wait_exit(int timeout_ms) {
  if (pid_ <= 0 || exit_code_) return exit_code_;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (true) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return exit_code_;
    }
    if (std::chrono::steady_clock::now() >= give_up) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool BackgroundProgram::wait_stopped(int timeout_ms) {
  if (pid_ <= 0 || exit_code_) return false;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (true) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG | WUNTRACED) == pid_) {
      if (WIFSTOPPED(status)) return true;
      exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return false;
    }
    if (std::chrono::steady_clock::now() >= give_up) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::string BackgroundProgram::output() const { return read_file(output_file_); }

}  // namespace dovel::test
