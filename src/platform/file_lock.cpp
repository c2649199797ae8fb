#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>

namespace dovel::platform {

std::optional<FileLock> FileLock::try_acquire(const std::filesystem::path& file) {
  UniqueFd fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!fd.valid() || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return std::nullopt;
  return FileLock(std::move(fd));
}

}  // namespace dovel::platform
