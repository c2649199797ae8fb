#pragma once

#include <filesystem>
#include <optional>

#include "platform/file_lock.h"

namespace dovel::mainframe {

// The mark that a user is logged in: a lock file of the data home, held from a
// successful login to the logout. Other programs may test it; this one never does.
class LoginLock {
 public:
  explicit LoginLock(std::filesystem::path file) : file_(std::move(file)) {}

  void acquire() {
    if (!lock_) lock_ = platform::FileLock::try_acquire(file_);
  }
  void release() { lock_.reset(); }
  bool held() const { return lock_.has_value(); }

 private:
  std::filesystem::path file_;
  std::optional<platform::FileLock> lock_;
};

}  // namespace dovel::mainframe
