#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace dovel::platform {

// The private profile file (window placement and a few view choices): an INI
// file of "[section]" and "key=value" lines. Names compare without regard to
// ASCII case. Every write replaces the file atomically under a file lock.
class ProfileIni {
 public:
  explicit ProfileIni(std::filesystem::path path);

  std::string read_string(std::string_view section, std::string_view key, std::string_view fallback) const;
  // The leading decimal number of the value, as the Windows profile reader takes it.
  int read_int(std::string_view section, std::string_view key, int fallback) const;
  // The same, nullopt when the value is missing or blank.
  std::optional<int> find_int(std::string_view section, std::string_view key) const;

  bool write_string(std::string_view section, std::string_view key, std::string_view value);
  bool write_int(std::string_view section, std::string_view key, int value);

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  mutable std::mutex mutex_;
};

}  // namespace dovel::platform
