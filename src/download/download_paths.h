#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace dovel::download {

// The folder below the download folder that holds the files being received.
inline constexpr std::string_view kTemporaryFolderName = "_DTEMP_";
// What a file being received carries in front of its name.
inline constexpr std::string_view kTemporaryPrefix = "[DOVEL]";

// download folder/_DTEMP_/[DOVEL]name, confined below the download folder:
// nothing when the name is not one safe name or when an existing part of the
// path (a symbolic link) leads outside the download folder.
std::optional<std::filesystem::path> temporary_file_path(const std::filesystem::path& download_folder, std::string_view name);

// The temporary folder itself, under the same rule.
std::optional<std::filesystem::path> temporary_folder_path(const std::filesystem::path& download_folder);

// The folder a finished file goes to: the download folder, or the sub-folder
// below it; nothing when the sub-folder is not safe or leads outside.
std::optional<std::filesystem::path> target_folder_path(const std::filesystem::path& download_folder, std::string_view sub_folder);

}  // namespace dovel::download
