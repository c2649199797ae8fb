#include "util/program_path.h"

#include <mutex>
#include <string>

namespace dovel::util {
namespace {

std::mutex& folder_lock() {
  static std::mutex lock;
  return lock;
}

std::filesystem::path& folder() {
  static std::filesystem::path value;
  return value;
}

}  // namespace

void SetProgramFolder(const std::filesystem::path& new_folder) {
  std::lock_guard lock(folder_lock());
  folder() = new_folder;
}

std::filesystem::path ProgramFolder() {
  std::lock_guard lock(folder_lock());
  return folder();
}

std::filesystem::path ProgramPath(std::string_view name) {
  std::string relative(name);
  for (char& c : relative) {
    if (c == '\\') c = '/';
  }
  while (!relative.empty() && relative.front() == '/') relative.erase(0, 1);
  return ProgramFolder() / relative;
}

}  // namespace dovel::util
