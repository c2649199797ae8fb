#include "download/download_paths.h"

#include <string>

#include "base/text.h"
#include "download/download_names.h"
#include "platform/safe_path.h"

namespace dovel::download {
namespace {

// Resolves a relative backslash path below the download folder. While the
// download folder does not exist yet nothing below it can be a link, so the
// plain join (of components already checked) is the path it will have.
std::optional<std::filesystem::path> below_download_folder(const std::filesystem::path& download_folder, std::string_view wire_path) {
  if (download_folder.empty()) return std::nullopt;
  platform::ResolvedPath resolved = platform::resolve_below(download_folder, wire_path, true);
  if (resolved) return resolved.path;
  if (resolved.refusal != platform::PathRefusal::RootUnavailable) return std::nullopt;
  std::error_code error;
  if (std::filesystem::exists(std::filesystem::symlink_status(download_folder, error))) return std::nullopt;
  std::filesystem::path joined = download_folder;
  for (const std::string& component : base::split(base::trim_backslashes(wire_path), '\\')) {
    if (!component.empty()) joined /= component;
  }
  return joined;
}

}  // namespace

std::optional<std::filesystem::path> temporary_file_path(const std::filesystem::path& download_folder, std::string_view name) {
  if (!is_safe_file_name(name)) return std::nullopt;
  std::string relative(kTemporaryFolderName);
  relative += '\\';
  relative += kTemporaryPrefix;
  relative += name;
  return below_download_folder(download_folder, relative);
}

std::optional<std::filesystem::path> temporary_folder_path(const std::filesystem::path& download_folder) {
  return below_download_folder(download_folder, kTemporaryFolderName);
}

std::optional<std::filesystem::path> target_folder_path(const std::filesystem::path& download_folder, std::string_view sub_folder) {
  if (!is_safe_sub_folder(sub_folder)) return std::nullopt;
  return below_download_folder(download_folder, sub_folder);
}

}  // namespace dovel::download
