#pragma once

#include <string>
#include <vector>

#include "platform/socket.h"
#include "settings/shared_folder.h"

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

// "[DOVEL]" files are partial downloads; they are never shown.
bool is_partial_download_name(std::string_view name);

}  // namespace dovel::server
