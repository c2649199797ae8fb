#pragma once

#include <string>
#include <vector>

#include "download/queue_restore.h"

namespace dovel::download {

// A box names at most this many files; the rest are counted.
inline constexpr size_t kMostLeftoversNamed = 30;

// The yes/no question about the files of the temporary folder that belong to
// no queued item (found by the restore): what they usually are, each file with
// its size, and whether to open the folder. Empty when there are none.
std::string leftover_files_question(const std::vector<LeftoverFile>& leftovers);

}  // namespace dovel::download
