#include "download/openable_file.h"

#include <system_error>

#include "download/download_names.h"
#include "download/download_paths.h"
#include "util/media_files.h"

namespace dovel::download {
namespace {

std::optional<std::filesystem::path> file_path_of(const ItemSnapshot& item) {
  if (item.state == ItemState::Finished) {
    if (!is_safe_file_name(item.file_name)) return std::nullopt;
    std::optional<std::filesystem::path> folder = target_folder_path(item.download_folder, item.sub_folder);
    if (!folder) return std::nullopt;
    return *folder / item.file_name;
  }
  if (!util::IsMediaFile(item.file_name)) return std::nullopt;
  return temporary_file_path(item.download_folder, item.file_name);
}

}  // namespace

std::optional<std::filesystem::path> openable_file(const ItemSnapshot& item) {
  if (item.download_folder.empty() || item.file_name.empty()) return std::nullopt;
  std::optional<std::filesystem::path> path = file_path_of(item);
  if (!path) return std::nullopt;
  std::error_code error;
  if (!std::filesystem::is_regular_file(*path, error)) return std::nullopt;
  const auto size = std::filesystem::file_size(*path, error);
  if (error || size == 0) return std::nullopt;
  return path;
}

}  // namespace dovel::download
