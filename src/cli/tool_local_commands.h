#pragma once

#include <string>
#include <vector>

namespace dovel::cli {

// dovel-tool commands that work on a client's data home ("--home DIR", else the
// default data home). Each returns the process exit code.
int db_init_command(const std::vector<std::string>& options);
int index_command(const std::vector<std::string>& options);

}  // namespace dovel::cli
