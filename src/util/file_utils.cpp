#include "util/file_utils.h"

#include <sys/stat.h>
#include <sys/statfs.h>

#include <cstring>
#include <string>

#include "platform/safe_path.h"

namespace dovel::util {

bool FolderExists(const std::filesystem::path& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

bool CreateFolderPath(const std::filesystem::path& path) {
  if (path.empty()) return false;
  std::error_code error;
  std::filesystem::create_directories(path, error);
  return !error && FolderExists(path);
}

uint64_t FileSize(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return 0;
  return static_cast<uint64_t>(status.st_size);
}

uint32_t VolumeSerial(const std::filesystem::path& path) {
  struct statfs info {};
  if (::statfs(path.c_str(), &info) != 0) return 0;
  int words[2];
  static_assert(sizeof words == sizeof info.f_fsid);
  std::memcpy(words, &info.f_fsid, sizeof words);
  return static_cast<uint32_t>(words[0]) ^ static_cast<uint32_t>(words[1]);
}

namespace {

std::string comparable_folder(std::string_view path) {
  std::error_code error;
  std::filesystem::path given{std::string(path)};
  std::filesystem::path resolved = std::filesystem::weakly_canonical(given, error);
  if (error) resolved = given.lexically_normal();
  std::string text = resolved.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

}  // namespace

bool SameFolder(std::string_view a, std::string_view b) {
  if (a.empty() || b.empty()) return false;
  return comparable_folder(a) == comparable_folder(b);
}

bool FolderInside(std::string_view inner, std::string_view outer) {
  if (inner.empty() || outer.empty()) return false;
  const std::filesystem::path inner_folder = comparable_folder(inner);
  const std::filesystem::path outer_folder = comparable_folder(outer);
  return inner_folder != outer_folder && platform::is_within(inner_folder, outer_folder);
}

std::string collapse_doubled_separators(std::string_view path) {
  std::string result;
  result.reserve(path.size());
  for (char c : path) {
    if (c == '/' && !result.empty() && result.back() == '/') continue;
    result += c;
  }
  return result;
}

}  // namespace dovel::util
