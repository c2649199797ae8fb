// A path from a peer or a link, turned into a path below its folder: whatever
// the text, an accepted path is always below the folder, through any symbolic
// link the folder holds, and through none where links are refused.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "platform/safe_path.h"

namespace {

namespace fs = std::filesystem;

// The folder a peer may reach, with links that stay inside and links that lead
// out of it, made once per process and removed with it.
struct LinkedFolder {
  LinkedFolder() {
    std::string pattern = (fs::temp_directory_path() / "dovel-fuzz-paths-XXXXXX").string();
    top = ::mkdtemp(pattern.data());
    root = top / "root";
    fs::create_directories(root / "a" / "b");
    fs::create_directories(top / "outside");
    std::ofstream(root / "a" / "file.txt") << "x";
    std::ofstream(top / "outside" / "secret.txt") << "s";
    std::error_code ignored;
    fs::create_directory_symlink(root / "a", root / "inside", ignored);
    fs::create_directory_symlink(top / "outside", root / "out", ignored);
    fs::create_directory_symlink("../..", root / "a" / "up", ignored);
    fs::create_symlink(top / "outside" / "secret.txt", root / "a" / "b" / "secret", ignored);
    fs::create_symlink("loop", root / "loop", ignored);
    fs::create_symlink("missing", root / "dangling", ignored);
    canonical_root = fs::canonical(root);
  }
  ~LinkedFolder() {
    std::error_code ignored;
    fs::remove_all(top, ignored);
  }

  fs::path top;
  fs::path root;
  fs::path canonical_root;
};

bool is_below(const fs::path& path, const fs::path& folder, bool may_be_the_folder) {
  std::error_code error;
  const fs::path real = fs::weakly_canonical(path, error);
  if (error) return false;
  if (real == folder) return may_be_the_folder;
  const fs::path relative = real.lexically_relative(folder);
  return !relative.empty() && *relative.begin() != "..";
}

// No folder between the root and `path` (nor `path` itself) is a link.
bool has_no_link_below(const fs::path& path, const fs::path& folder) {
  fs::path probe = folder;
  for (const fs::path& component : path.lexically_relative(folder)) {
    if (component == ".") continue;
    probe /= component;
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(probe, error))) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const LinkedFolder folder;
  if (size < 1) return 0;
  const bool allow_root = (data[0] & 1) != 0;
  const bool refuse_links = (data[0] & 2) != 0;
  const std::string_view wire_path(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto links = refuse_links ? dovel::platform::LinkRule::Refuse : dovel::platform::LinkRule::FollowInsideRoot;
  const dovel::platform::ResolvedPath resolved = dovel::platform::resolve_below(folder.root, wire_path, allow_root, links);
  if (resolved && !is_below(resolved.path, folder.canonical_root, allow_root)) __builtin_trap();
  if (resolved && refuse_links && !has_no_link_below(resolved.path, folder.canonical_root)) __builtin_trap();
  return 0;
}
