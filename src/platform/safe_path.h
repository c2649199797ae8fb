#pragma once

#include <filesystem>
#include <string_view>

namespace dovel::platform {

enum class PathRefusal {
  None,
  EmptyPath,        // empty where the caller needs a file or folder below the root
  EmptyComponent,   // "a\\\\b"
  DotComponent,     // "." or ".."
  BadCharacter,     // "/" or NUL inside a component
  RootUnavailable,  // the root does not exist or cannot be resolved
  OutsideRoot,      // resolves (through a symbolic link) outside the root, or through a link that leads nowhere
  LinkComponent,    // a symbolic link below the root where links are refused
};

// What a symbolic link below the root means. The root itself is always
// resolved, links on the way to it included: only the path below it is judged.
enum class LinkRule {
  FollowInsideRoot,  // followed as long as it stays inside the root
  Refuse,            // any link component refuses the path, wherever it points
};

struct ResolvedPath {
  std::filesystem::path path;
  PathRefusal refusal = PathRefusal::None;
  explicit operator bool() const { return refusal == PathRefusal::None; }
};

// Turns a relative, backslash-separated path as it travels on the wire and in the
// database ("Music\\Rock\\a.mp3", one leading or trailing backslash tolerated)
// into a path below `root`. Every check happens before the disk is touched beyond
// resolving links: nothing a peer sends can name a file outside the root.
// An empty path means the root itself and is refused unless `allow_root` is set.
ResolvedPath resolve_below(const std::filesystem::path& root, std::string_view wire_path, bool allow_root = false,
                           LinkRule links = LinkRule::FollowInsideRoot);

// True when `path` is `folder` or lies below it, compared component by
// component (both as resolve_below gives them: absolute, without links or dots).
bool is_within(const std::filesystem::path& path, const std::filesystem::path& folder);

// Opens a regular file only: FIFOs, sockets, devices and a symbolic link in the
// last component are refused (-1), so a read can never block on a special file.
// `flags` are the open(2) access flags (O_RDONLY, O_WRONLY | O_CREAT, ...).
int open_regular_file(const std::filesystem::path& path, int flags, int mode = 0644);

}  // namespace dovel::platform
