#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "server/share_place.h"
#include "settings/shared_folder.h"

namespace dovel::server {

// The 'L' listing of the root: every share with its flags. Wire form (CP949).
std::string root_listing(const std::vector<settings::SharedFolder>& shares);

// The 'L' listing of a folder inside a share: its sub-folders and non-empty
// files in the order the file system gives them, without links, special files,
// partial downloads, the partial-download folder or names the wire cannot carry.
// `partial_folder` is the download folder's "_DTEMP_". Wire form (CP949); the
// text is cut before it would pass the largest frame.
std::string folder_listing(const settings::SharedFolder& share, const SharePlace& place, const std::filesystem::path& partial_folder);

}  // namespace dovel::server
