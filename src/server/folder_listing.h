#pragma once

#include <string>
#include <vector>

#include "server/share_place.h"
#include "settings/shared_folder.h"
#include "share/served_tree.h"

namespace dovel::server {

// The 'L' listing of the root: every share with its flags. Wire form (CP949).
std::string root_listing(const std::vector<settings::SharedFolder>& shares);

// The 'L' listing of a folder inside a share: its sub-folders and non-empty
// files in the order the file system gives them, as far as the served tree
// offers them through that share (no links, no partial downloads, nothing of a
// stricter share), without special files or names the wire cannot carry. A
// folder the tree does not offer is listed empty. Wire form (CP949); the text is
// cut before it would pass the largest frame.
std::string folder_listing(const share::ServedTree& tree, const SharePlace& place);

}  // namespace dovel::server
