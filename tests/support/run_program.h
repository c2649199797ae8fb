#pragma once

#include <string>
#include <vector>

namespace dovel::test {

struct ProgramResult {
  int exit_code = -1;
  std::string output;  // standard output
  std::string errors;  // standard error
};

// Runs a program to its end with the given arguments (no shell) and collects
// what it printed. Gives up, killing it, after `timeout_ms`.
ProgramResult run_program(const std::vector<std::string>& argv, int timeout_ms = 30000);

}  // namespace dovel::test
