#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dovel::test {

// A program left running while a test talks to it: standard output and error go
// to files (read them at any time); the destructor kills and reaps it if the test
// did not see it end.
class BackgroundProgram {
 public:
  // Starts argv (no shell); `output_file` takes both standard output and error.
  BackgroundProgram(const std::vector<std::string>& argv, std::filesystem::path output_file);
  ~BackgroundProgram();
  BackgroundProgram(const BackgroundProgram&) = delete;
  BackgroundProgram& operator=(const BackgroundProgram&) = delete;

  bool started() const { return pid_ > 0; }
  void signal(int number) const;
  // The exit code once it ended within timeout_ms (-1 when a signal ended it);
  // nullopt while it still runs.
  std::optional<int> wait_exit(int timeout_ms);
  // Whether it stopped (SIGSTOP, by itself or another) within timeout_ms.
  bool wait_stopped(int timeout_ms);
  std::string output() const;

 private:
  pid_t pid_ = -1;
  std::optional<int> exit_code_;
  std::filesystem::path output_file_;
};

}  // namespace dovel::test
