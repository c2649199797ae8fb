#include "platform/safe_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace dovel::platform {
namespace {

PathRefusal check_component(std::string_view component) {
  if (component.empty()) return PathRefusal::EmptyComponent;
  if (component == "." || component == "..") return PathRefusal::DotComponent;
  if (component.find('/') != std::string_view::npos || component.find('\0') != std::string_view::npos) return PathRefusal::BadCharacter;
  return PathRefusal::None;
}

enum class LinkKind { Any, Dangling };

// Looks at the components that exist, from the root down, for a link of `kind`.
//
// weakly_canonical() stops at the first component that does not exist and keeps
// the rest as written. A link whose target does not exist counts as missing there,
// so it would pass unresolved, and whoever then creates the file or folder creates
// the link's target, wherever it points: such a link is a dangling one.
bool has_link_component(const std::filesystem::path& root, const std::vector<std::string_view>& components, LinkKind kind) {
  std::filesystem::path probe = root;
  for (std::string_view component : components) {
    probe /= std::filesystem::path(std::string(component));
    std::error_code error;
    std::filesystem::file_status own = std::filesystem::symlink_status(probe, error);
    if (error || !std::filesystem::exists(own)) return false;  // nothing from here on exists
    if (!std::filesystem::is_symlink(own)) continue;
    if (kind == LinkKind::Any || !std::filesystem::exists(std::filesystem::status(probe, error))) return true;
  }
  return false;
}

}  // namespace

bool is_within(const std::filesystem::path& path, const std::filesystem::path& folder) {
  auto [folder_end, path_position] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return folder_end == folder.end();
}

ResolvedPath resolve_below(const std::filesystem::path& root, std::string_view wire_path, bool allow_root, LinkRule links) {
  if (!wire_path.empty() && wire_path.front() == '\\') wire_path.remove_prefix(1);
  if (!wire_path.empty() && wire_path.back() == '\\') wire_path.remove_suffix(1);

  std::vector<std::string_view> components;
  if (!wire_path.empty()) {
    size_t start = 0;
    while (true) {
      size_t end = wire_path.find('\\', start);
      components.push_back(wire_path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
      if (end == std::string_view::npos) break;
      start = end + 1;
    }
  }
  if (components.empty() && !allow_root) return {{}, PathRefusal::EmptyPath};
  for (std::string_view component : components) {
    if (PathRefusal refusal = check_component(component); refusal != PathRefusal::None) return {{}, refusal};
  }

  std::error_code error;
  std::filesystem::path canonical_root = std::filesystem::canonical(root, error);
  if (error || !std::filesystem::is_directory(canonical_root, error)) return {{}, PathRefusal::RootUnavailable};

  std::filesystem::path candidate = canonical_root;
  for (std::string_view component : components) candidate /= std::filesystem::path(std::string(component));
  if (links == LinkRule::Refuse) {
    // Without links and dots the path as written is already the canonical one.
    if (has_link_component(canonical_root, components, LinkKind::Any)) return {{}, PathRefusal::LinkComponent};
    return {candidate, PathRefusal::None};
  }
  std::filesystem::path resolved = std::filesystem::weakly_canonical(candidate, error);
  if (error) return {{}, PathRefusal::OutsideRoot};
  if (!is_within(resolved, canonical_root)) return {{}, PathRefusal::OutsideRoot};
  if (has_link_component(canonical_root, components, LinkKind::Dangling)) return {{}, PathRefusal::OutsideRoot};
  return {resolved, PathRefusal::None};
}

int open_regular_file(const std::filesystem::path& path, int flags, int mode) {
  int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
  if (fd < 0) return -1;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return -1;
  }
  int descriptor_flags = ::fcntl(fd, F_GETFL);
  if (descriptor_flags >= 0) ::fcntl(fd, F_SETFL, descriptor_flags & ~O_NONBLOCK);
  return fd;
}

}  // namespace dovel::platform
