#pragma once

#include <string>
#include <vector>

namespace dovel::cli {

// dovel-tool share add|list|remove: the shared-folder list of a data home with
// the checks and messages of the shared-folder dialog and page. Removing a share
// renumbers the shared-files table along with the list. Takes the words after
// "share"; exit code 0 done, 1 refused (the reason on standard error), 2 a
// command line that cannot be read.
int share_command(const std::vector<std::string>& words);

}  // namespace dovel::cli
