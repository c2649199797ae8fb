#pragma once

#include <string>
#include <vector>

namespace dovel::cli {

// ctl [--home DIR] COMMAND [ARGUMENT...]: sends one command line to the doveld
// running on that data home and prints its answer (one JSON line). Exit code 0
// when the answer says "ok":true, 1 when it refuses or no doveld answers, 2 a
// command line that cannot be read.
int control_command(const std::vector<std::string>& words);

}  // namespace dovel::cli
