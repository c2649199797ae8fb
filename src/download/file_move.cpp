#include "download/file_move.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "base/text.h"
#include "download/download_names.h"
#include "download/download_paths.h"
#include "platform/safe_path.h"
#include "platform/socket.h"

namespace dovel::download {
namespace {

bool copy_bytes(int from, int to) {
  while (true) {
    ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
    if (copied == 0) return true;
    if (copied > 0) continue;
    if (errno == EINTR) continue;
    if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
    break;
  }
  char buffer[65536];
  while (true) {
    ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (ssize_t done = 0; done < got;) {
      ssize_t written = ::write(to, buffer + done, static_cast<size_t>(got - done));
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      done += written;
    }
  }
}

// The name in the download folder for a retry, when it stays there.
std::optional<std::filesystem::path> retry_path(const std::filesystem::path& download_folder, const std::string& name) {
  if (!is_safe_file_name(name)) return std::nullopt;
  platform::ResolvedPath resolved = platform::resolve_below(download_folder, name);
  if (!resolved) return std::nullopt;
  return resolved.path;
}

// target folder/name, the target folder made when missing.
std::optional<std::filesystem::path> target_file_path(const std::filesystem::path& download_folder, const std::string& sub_folder,
                                                      const std::string& name) {
  if (!is_safe_file_name(name)) return std::nullopt;
  std::optional<std::filesystem::path> folder = target_folder_path(download_folder, sub_folder);
  if (!folder) return std::nullopt;
  std::error_code error;
  std::filesystem::create_directories(*folder, error);
  if (error) return std::nullopt;
  // Resolved again now that the folders exist, so that a link among them cannot lead outside.
  std::string relative(base::trim_backslashes(sub_folder));
  if (!relative.empty()) relative += '\\';
  relative += name;
  platform::ResolvedPath resolved = platform::resolve_below(download_folder, relative);
  if (!resolved) return std::nullopt;
  return resolved.path;
}

}  // namespace

bool copy_then_remove(const std::filesystem::path& from, const std::filesystem::path& to) {
  platform::UniqueFd source(platform::open_regular_file(from, O_RDONLY));
  if (!source.valid()) return false;
  // O_EXCL: a file that appeared meanwhile under the name is left alone.
  platform::UniqueFd target(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (!target.valid()) return false;
  if (!copy_bytes(source.get(), target.get()) || ::fsync(target.get()) != 0) {
    target.reset();
    ::unlink(to.c_str());
    return false;
  }
  return ::unlink(from.c_str()) == 0;
}

bool move_without_replacing(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EXDEV) return copy_then_remove(from, to);
  if (errno == EINVAL || errno == ENOSYS) {
    // A file system without the no-replace rename: a hard link fails on a taken name.
    if (::link(from.c_str(), to.c_str()) == 0) return ::unlink(from.c_str()) == 0;
    if (errno == EXDEV) return copy_then_remove(from, to);
  }
  return false;
}

FinishedFileMove move_finished_file(const std::filesystem::path& temporary_file, const std::filesystem::path& download_folder,
                                    const std::string& sub_folder, const std::string& name) {
  FinishedFileMove outcome;
  if (std::optional<std::filesystem::path> target = target_file_path(download_folder, sub_folder, name)) {
    if (move_without_replacing(temporary_file, *target)) {
      outcome.moved = true;
      outcome.first_choice = true;
      outcome.final_path = *target;
      outcome.final_name = name;
      return outcome;
    }
  }
  std::string prefixed = name;
  for (int retry = 0; retry < kMoveRetries; ++retry) {
    prefixed.insert(0, kNewFilePrefix);
    std::optional<std::filesystem::path> target = retry_path(download_folder, prefixed);
    if (target && move_without_replacing(temporary_file, *target)) {
      outcome.moved = true;
      outcome.final_path = *target;
      outcome.final_name = prefixed;
      return outcome;
    }
  }
  return outcome;
}

}  // namespace dovel::download
