#include "ui/download/log_folders.h"

#include <array>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "util/log_files.h"

namespace dovel::ui {

std::filesystem::path log_folder(const std::filesystem::path& program_folder) { return program_folder / "Log"; }

int clear_log_folders(const std::filesystem::path& program_folder) {
  constexpr std::array<std::string_view, 3> kKinds = {util::kDownloadLog, util::kUploadLog, util::kSystemLog};
  int removed = 0;
  for (std::string_view kind : kKinds) {
    const std::filesystem::path folder = log_folder(program_folder) / std::string(kind);
    std::error_code error;
    // A linked folder is not followed: only the program's own folders are cleared.
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(folder, error))) continue;
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
      if (entry->is_symlink(error) || entry->is_regular_file(error)) files.push_back(entry->path());
    }
    for (const std::filesystem::path& file : files) {
      if (std::filesystem::remove(file, error)) ++removed;
    }
  }
  return removed;
}

}  // namespace dovel::ui
