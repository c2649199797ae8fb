#pragma once

#include <filesystem>

namespace dovel::ui {

// The folder holding the daily logs below the program folder.
std::filesystem::path log_folder(const std::filesystem::path& program_folder);

// Deletes the files of the download, upload and system logs (the folders
// themselves stay, and nothing below them but their files is touched); how
// many files went.
int clear_log_folders(const std::filesystem::path& program_folder);

}  // namespace dovel::ui
