#include "share/served_tree.h"

#include <sys/stat.h>

#include <string>

#include "base/text.h"
#include "platform/filetime.h"
#include "platform/safe_path.h"
#include "share/shareable_name.h"

namespace dovel::share {
namespace {

constexpr uint32_t kRestrictions = settings::SHARE_ADULT | settings::SHARE_FRIEND | settings::SHARE_SECRET;

std::filesystem::path canonical_or_empty(const std::string& folder) {
  if (folder.empty()) return {};
  std::error_code error;
  std::filesystem::path canonical = std::filesystem::canonical(folder, error);
  if (error || !std::filesystem::is_directory(canonical, error)) return {};
  return canonical;
}

// The partial-download folder need not exist yet: a download may make it at any moment.
std::filesystem::path partial_folder_of(std::string_view download_folder) {
  if (download_folder.empty()) return {};
  std::error_code error;
  std::filesystem::path partial = std::filesystem::weakly_canonical(std::filesystem::path(std::string(download_folder)) / kPartialDownloadFolder, error);
  return error ? std::filesystem::path() : partial;
}

// Every folder between the share's top and the file carries a name a listing would show.
bool has_shareable_folders(std::string_view folder_path) {
  if (folder_path.empty()) return true;
  for (const std::string& component : base::split(folder_path, '\\')) {
    if (!is_shareable_name(component)) return false;
  }
  return true;
}

}  // namespace

bool is_partial_download_name(std::string_view name) { return base::starts_with_ascii_nocase(name, "[DOVEL]"); }

bool is_stricter(uint32_t flags, uint32_t than) { return (flags & kRestrictions & ~than) != 0; }

ServedTree::ServedTree(std::vector<settings::SharedFolder> folders, std::string_view download_folder)
    : folders_(std::move(folders)), partial_folder_(partial_folder_of(download_folder)) {
  canonical_folders_.reserve(folders_.size());
  for (const settings::SharedFolder& folder : folders_) canonical_folders_.push_back(canonical_or_empty(folder.path));
}

const std::filesystem::path& ServedTree::canonical_folder(settings::ShareIndex index) const {
  static const std::filesystem::path kNone;
  return has_share(index) ? canonical_folders_[static_cast<size_t>(index)] : kNone;
}

bool ServedTree::serves_folder(settings::ShareIndex through, const std::filesystem::path& path) const {
  const std::filesystem::path& own = canonical_folder(through);
  if (own.empty() || !platform::is_within(path, own)) return false;
  if (!partial_folder_.empty() && platform::is_within(path, partial_folder_)) return false;
  const uint32_t flags = folders_[static_cast<size_t>(through)].flags;
  for (size_t other = 0; other < folders_.size(); ++other) {
    if (static_cast<settings::ShareIndex>(other) == through || canonical_folders_[other].empty()) continue;
    if (is_stricter(folders_[other].flags, flags) && platform::is_within(path, canonical_folders_[other])) return false;
  }
  return true;
}

std::optional<FileOnDisk> ServedTree::file(settings::ShareIndex index, std::string_view folder_path, std::string_view file_name) const {
  const std::filesystem::path& own = canonical_folder(index);
  if (own.empty() || !is_shareable_name(file_name) || !serves_file_named(file_name)) return std::nullopt;
  folder_path = base::trim_backslashes(folder_path);
  if (!has_shareable_folders(folder_path)) return std::nullopt;
  const std::string wire_path = folder_path.empty() ? std::string(file_name) : std::string(folder_path) + "\\" + std::string(file_name);
  const platform::ResolvedPath resolved = platform::resolve_below(own, wire_path, false, platform::LinkRule::Refuse);
  if (!resolved) return std::nullopt;
  struct stat status {};
  if (::lstat(resolved.path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  if (!serves_folder(index, resolved.path.parent_path())) return std::nullopt;
  return FileOnDisk{index, resolved.path, status.st_size, platform::filetime_from_timespec(status.st_mtim)};
}

std::optional<FileOnDisk> ServedTree::find_file(settings::ShareIndex preferred, std::string_view folder_path, std::string_view file_name,
                                                const std::function<bool(const FileOnDisk&)>& accept) const {
  auto accepted_in = [&](settings::ShareIndex index) -> std::optional<FileOnDisk> {
    std::optional<FileOnDisk> found = file(index, folder_path, file_name);
    if (found && accept(*found)) return found;
    return std::nullopt;
  };
  if (has_share(preferred)) {
    if (auto found = accepted_in(preferred)) return found;
  }
  for (size_t other = 0; other < folders_.size(); ++other) {
    const auto index = static_cast<settings::ShareIndex>(other);
    if (index == preferred) continue;
    if (auto found = accepted_in(index)) return found;
  }
  return std::nullopt;
}

}  // namespace dovel::share
