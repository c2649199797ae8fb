#pragma once

#include <filesystem>
#include <optional>

#include "platform/socket.h"

namespace dovel::platform {

// An exclusive lock on a file (created when missing), held while the object
// lives; the system drops it when the process ends, however it ends.
class FileLock {
 public:
  // nullopt when another holder has it or the file cannot be opened.
  static std::optional<FileLock> try_acquire(const std::filesystem::path& file);

 private:
  explicit FileLock(UniqueFd fd) : fd_(std::move(fd)) {}
  UniqueFd fd_;
};

}  // namespace dovel::platform
