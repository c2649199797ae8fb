#include "server/share_place.h"

#include <fcntl.h>
#include <unistd.h>

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

std::optional<ServedFolder> open_served_folder(const share::ServedTree& tree, settings::ShareIndex index, const std::vector<std::string>& components) {
  if (!tree.has_share(index)) return std::nullopt;
  std::filesystem::path path = tree.canonical_folder(index);
  for (const std::string& component : components) path /= component;
  if (!tree.serves_folder(index, path)) return std::nullopt;
  platform::UniqueFd fd = open_share_folder(tree.folders()[static_cast<size_t>(index)], components);
  if (!fd.valid()) return std::nullopt;
  return ServedFolder{std::move(fd), std::move(path)};
}

}  // namespace dovel::server
