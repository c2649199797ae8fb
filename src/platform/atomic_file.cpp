#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace dovel::platform {
bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool sync_folder(const std::filesystem::path& folder) {
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

bool write_file_atomically(const std::filesystem::path& path, std::string_view content) {
  std::filesystem::path folder = path.parent_path();
  std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, 0600) == 0 && write_all(fd, content) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok && ::rename(pattern.c_str(), path.c_str()) == 0) {
    sync_folder(folder);
    return true;
  }
  ::unlink(pattern.c_str());
  return false;
}

std::optional<std::string> read_whole_file(const std::filesystem::path& path, size_t max_bytes) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || static_cast<uint64_t>(status.st_size) > max_bytes) {
    ::close(fd);
    return std::nullopt;
  }
  std::string content;
  char buffer[8192];
  while (true) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0 || content.size() + static_cast<size_t>(got) > max_bytes) {
      ::close(fd);
      if (got == 0) return content;
      return std::nullopt;
    }
    content.append(buffer, static_cast<size_t>(got));
  }
}

FileLock::FileLock(const std::filesystem::path& lock_path) {
  fd_ = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return;
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno != EINTR) {
      ::close(fd_);
      fd_ = -1;
      return;
    }
  }
}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace dovel::platform
