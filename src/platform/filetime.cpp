#include "platform/filetime.h"

#include <sys/stat.h>

namespace dovel::platform {

namespace {
constexpr uint64_t kSecondsFrom1601To1970 = 11'644'473'600ull;
}

uint64_t filetime_from_timespec(const timespec& time) {
  return (static_cast<uint64_t>(time.tv_sec) + kSecondsFrom1601To1970) * 10'000'000ull + static_cast<uint64_t>(time.tv_nsec) / 100;
}

std::optional<uint64_t> last_write_filetime(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return filetime_from_timespec(status.st_mtim);
}

}  // namespace dovel::platform
