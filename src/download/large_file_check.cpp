#include "download/large_file_check.h"

#include <sys/vfs.h>

namespace dovel::download {

bool too_large_for(int64_t size, int64_t file_system_type) { return size >= kLargeFileSize && file_system_type == kFatFileSystem; }

bool too_large_for_folder(int64_t size, const std::filesystem::path& folder) {
  if (size < kLargeFileSize) return false;
  struct statfs status {};
  if (::statfs(folder.c_str(), &status) != 0) return false;
  return too_large_for(size, static_cast<int64_t>(status.f_type));
}

}  // namespace dovel::download
