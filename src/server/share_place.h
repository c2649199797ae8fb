#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/socket.h"
#include "settings/shared_folder.h"
#include "share/served_tree.h"

namespace dovel::server {

// Where a browsing peer stands: the root (no share), or a folder inside a share.
struct SharePlace {
  settings::ShareIndex index = -1;         // -1 at the root
  std::vector<std::string> components;  // folders below the share's top

  bool at_root() const { return index < 0; }
  // 0 at the root, 1 at the top of a share, one more per folder.
  int depth() const { return at_root() ? 0 : 1 + static_cast<int>(components.size()); }
  // "" at the top of the share, otherwise a backslash before each folder.
  std::string relative_path() const;
};

// Opens a folder inside a share as a real directory, component by component,
// never through a link and never with a name the wire could not carry; an
// invalid descriptor when any step fails.
platform::UniqueFd open_share_folder(const settings::SharedFolder& folder, const std::vector<std::string>& components);

// A folder of a share that the served tree offers through that share, opened,
// with its canonical path for the tree's rules on what it holds.
struct ServedFolder {
  platform::UniqueFd fd;
  std::filesystem::path path;
};
std::optional<ServedFolder> open_served_folder(const share::ServedTree& tree, settings::ShareIndex index, const std::vector<std::string>& components);

}  // namespace dovel::server
