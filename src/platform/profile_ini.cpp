#include "platform/profile_ini.h"

#include <cstdlib>
#include <optional>

#include "base/text.h"
#include "platform/atomic_file.h"
#include "platform/ini_text.h"

namespace dovel::platform {
namespace {

constexpr size_t kMaxProfileBytes = 4 * 1024 * 1024;

bool is_single_line(std::string_view text) { return text.find_first_of("\r\n") == std::string_view::npos; }

}  // namespace

ProfileIni::ProfileIni(std::filesystem::path path) : path_(std::move(path)) {}

std::string ProfileIni::read_string(std::string_view section, std::string_view key, std::string_view fallback) const {
  std::lock_guard lock(mutex_);
  auto text = read_whole_file(path_, kMaxProfileBytes);
  if (!text) return std::string(fallback);
  return find_ini_entry(*text, section, key).value_or(std::string(fallback));
}

int ProfileIni::read_int(std::string_view section, std::string_view key, int fallback) const {
  return find_int(section, key).value_or(fallback);
}

std::optional<int> ProfileIni::find_int(std::string_view section, std::string_view key) const {
  std::string text = read_string(section, key, "");
  if (base::trim(text).empty()) return std::nullopt;
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

bool ProfileIni::write_string(std::string_view section, std::string_view key, std::string_view value) {
  if (!is_single_line(section) || !is_single_line(key) || !is_single_line(value) || key.find('=') != std::string_view::npos) return false;
  std::lock_guard lock(mutex_);
  std::error_code ignored;
  std::filesystem::create_directories(path_.parent_path(), ignored);
  FileLock file_lock(path_.string() + ".lock");
  if (!file_lock.locked()) return false;
  std::string current;
  if (std::filesystem::exists(path_, ignored)) {
    auto text = read_whole_file(path_, kMaxProfileBytes);
    if (!text) return false;
    current = std::move(*text);
  }
  return write_file_atomically(path_, with_ini_entry(current, section, key, value));
}

bool ProfileIni::write_int(std::string_view section, std::string_view key, int value) {
  return write_string(section, key, std::to_string(value));
}

}  // namespace dovel::platform
