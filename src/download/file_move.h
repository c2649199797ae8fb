#pragma once

#include <filesystem>
#include <string>

namespace dovel::download {

// Moves a file to a name that must not exist yet; an existing file there is
// never replaced. Within one file system it is an atomic rename; across file
// systems the bytes are copied into a newly created file, flushed, and the
// original is removed only then. False (nothing changed) when the name is
// taken or the move failed.
bool move_without_replacing(const std::filesystem::path& from, const std::filesystem::path& to);

// The copying half of the above, for moves across file systems.
bool copy_then_remove(const std::filesystem::path& from, const std::filesystem::path& to);

// The prefix a finished file gets when its name is taken, once per retry.
inline constexpr std::string_view kNewFilePrefix = "새파일-";
inline constexpr int kMoveRetries = 10;

struct FinishedFileMove {
  bool moved = false;
  bool first_choice = false;       // it went to the target folder under its own name
  std::filesystem::path final_path;
  std::string final_name;
};

// Moves a finished temporary file to target_folder/name; when that fails, up to
// ten times into the download folder itself with one more "새파일-" in front of
// the name each time. Every name is checked to stay below the download folder.
FinishedFileMove move_finished_file(const std::filesystem::path& temporary_file, const std::filesystem::path& download_folder,
                                    const std::string& sub_folder, const std::string& name);

}  // namespace dovel::download
