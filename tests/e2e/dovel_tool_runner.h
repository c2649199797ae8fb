#pragma once

#include <string>
#include <vector>

#include "support/run_program.h"

namespace dovel::test {

// The dovel-tool under test, run with `arguments` as a user would run it.
inline ProgramResult run_dovel_tool(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv = {DOVEL_TOOL_PATH};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return run_program(argv);
}

}  // namespace dovel::test
