#include "server/share_place.h"

#include <fcntl.h>
#include <unistd.h>

#include "base/text.h"
#include "share/shareable_name.h"

namespace dovel::server {

std::string SharePlace::relative_path() const {
  std::string path;
  for (const std::string& component : components) path += "\\" + component;
  return path;
}

platform::UniqueFd open_share_folder(const settings::SharedFolder& folder, const std::vector<std::string>& components) {
  if (folder.path.empty()) return platform::UniqueFd();
  platform::UniqueFd current(::open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  for (const std::string& component : components) {
    if (!current.valid() || component == "." || component == ".." || !share::is_shareable_name(component)) return platform::UniqueFd();
    current = platform::UniqueFd(::openat(current.get(), component.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  }
  return current;
}

bool is_partial_download_name(std::string_view name) { return base::starts_with_ascii_nocase(name, "[DOVEL]"); }

}  // namespace dovel::server
