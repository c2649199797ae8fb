#pragma once

#include <string>
#include <vector>

namespace dovel::cli {

// dovel-tool commands that read and change a data home's settings values
// without the settings pages. Each takes the words after the command and
// returns the exit code: 0 done, 1 refused (the reason on standard error),
// 2 a command line that cannot be read.

// set [--home DIR] VALUE_NAME VALUE
int set_command(const std::vector<std::string>& words);
// get [--home DIR] [VALUE_NAME]: one value, or every value as NAME=VALUE lines.
int get_command(const std::vector<std::string>& words);

}  // namespace dovel::cli
