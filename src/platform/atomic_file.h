#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace dovel::platform {

// Writes every byte to a file descriptor, retrying short and interrupted writes.
bool write_all(int fd, std::string_view bytes);

// Flushes a folder's entries (names made, renamed or removed in it) to the disk.
bool sync_folder(const std::filesystem::path& folder);

// Replaces `path` with `content` so that a crash at any moment leaves either the
// old or the new file: temporary file in the same folder, fsync, rename, fsync of
// the folder.
bool write_file_atomically(const std::filesystem::path& path, std::string_view content);

// The whole file, or nullopt when it cannot be read; refuses files above max_bytes.
std::optional<std::string> read_whole_file(const std::filesystem::path& path, size_t max_bytes);

// An exclusive advisory lock (flock) on a lock file, held for the object's lifetime.
// Serialises read-modify-write cycles between processes sharing one data home.
class FileLock {
 public:
  explicit FileLock(const std::filesystem::path& lock_path);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool locked() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace dovel::platform
