#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "settings/shared_folder.h"

namespace dovel::share {

// The folder below the download folder that holds partial downloads.
inline constexpr const char* kPartialDownloadFolder = "_DTEMP_";

// "[DOVEL]" files are partial downloads (any letter case).
bool is_partial_download_name(std::string_view name);

// A regular file below a shared folder, found the way the share server may offer it.
struct FileOnDisk {
  settings::ShareIndex index = -1;
  std::filesystem::path path;  // canonical
  int64_t size = 0;
  uint64_t last_write = 0;  // FILETIME
};

// What of the disk the share server offers, the one rule that listings, the
// hashing walk, hashes on demand and downloads all follow. Below each shared
// folder: real folders and regular files, never through a link; never a partial
// download (the download folder's "_DTEMP_" with all it holds, and "[DOVEL]"
// files anywhere); and nothing that also lies in or below the folder of a
// stricter share, one with a restriction (adult, friend-only, secret) that the
// share it is reached through lacks. Such nesting is refused when the list is
// edited; lists stored before that rule are met here, and what they nest is then
// reached only through the stricter share.
//
// The folders are resolved once, when the tree is made.
class ServedTree {
 public:
  ServedTree(std::vector<settings::SharedFolder> folders, std::string_view download_folder);

  const std::vector<settings::SharedFolder>& folders() const { return folders_; }
  bool has_share(settings::ShareIndex index) const { return index >= 0 && static_cast<size_t>(index) < folders_.size(); }
  // The share's folder with every link resolved; empty when it cannot be resolved.
  const std::filesystem::path& canonical_folder(settings::ShareIndex index) const;

  // May the folder at `path` (canonical, inside the share), and what it holds,
  // be offered through share `through`?
  bool serves_folder(settings::ShareIndex through, const std::filesystem::path& path) const;
  // May a file of this name in a served folder be offered?
  static bool serves_file_named(std::string_view name) { return !is_partial_download_name(name); }

  // The served regular file that a folder path and a file name (texts from a
  // peer or a stored row, backslash-separated) name below share `index`.
  std::optional<FileOnDisk> file(settings::ShareIndex index, std::string_view folder_path, std::string_view file_name) const;
  // That file in share `preferred` when `accept` takes it there, otherwise in the
  // first share, in order, where it does.
  std::optional<FileOnDisk> find_file(settings::ShareIndex preferred, std::string_view folder_path, std::string_view file_name,
                                      const std::function<bool(const FileOnDisk&)>& accept) const;

 private:
  std::vector<settings::SharedFolder> folders_;
  std::vector<std::filesystem::path> canonical_folders_;
  std::filesystem::path partial_folder_;  // empty when there is none
};

// True when a share with `flags` has a restriction that one with `than` lacks.
bool is_stricter(uint32_t flags, uint32_t than);

}  // namespace dovel::share
