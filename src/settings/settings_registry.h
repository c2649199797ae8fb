#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry_store.h"

namespace dovel::settings {

inline constexpr std::string_view kPrimaryRoot = "Software\\VARNO\\Dovel";
inline constexpr std::string_view kFallbackRoot = "Software\\TALVEN\\Dovel";
inline constexpr std::string_view kSettingSection = "Setting";
inline constexpr std::string_view kSharedFolderSection = "SharedFolderList";
// Texts longer than this are not written (the registry's limit for the program's values).
inline constexpr size_t kMaxRegistryTextCharacters = 2048;

// The program's settings key in the current user's hive, addressed by section
// and value name. The root is "Software\\VARNO\\Dovel" when that key exists and
// "Software\\TALVEN\\Dovel" otherwise, decided again at every access.
class SettingsRegistry {
 public:
  explicit SettingsRegistry(platform::RegistryStore& store) : store_(store) {}

  // A writer over one consistent copy of the hive; its changes are committed together.
  class Writer {
   public:
    explicit Writer(platform::RegistryHive& hive);
    // False (and a line in the system log) for a text over the length limit.
    bool write_text(std::string_view section, std::string_view name, std::string_view value);
    void write_dword(std::string_view section, std::string_view name, uint32_t value);
    void delete_section(std::string_view section);

   private:
    std::string key_of(std::string_view section) const;
    platform::RegistryHive& hive_;
    std::string root_;
  };

  std::string root() const;
  // "" when missing.
  std::string read_text(std::string_view section, std::string_view name) const;
  uint32_t read_dword(std::string_view section, std::string_view name, uint32_t fallback) const;
  // The snapshot read by Load: one consistent copy, root chosen once.
  class Reader {
   public:
    explicit Reader(platform::RegistryHive hive);
    std::string read_text(std::string_view section, std::string_view name) const;
    std::optional<std::string> find_text(std::string_view section, std::string_view name) const;
    uint32_t read_dword(std::string_view section, std::string_view name, uint32_t fallback) const;

   private:
    std::string key_of(std::string_view section) const;
    platform::RegistryHive hive_;
    std::string root_;
  };
  Reader reader() const;

  bool write_text(std::string_view section, std::string_view name, std::string_view value);
  bool write_dword(std::string_view section, std::string_view name, uint32_t value);
  // Runs `change` and writes all its changes in one atomic replace.
  bool edit(const std::function<void(Writer&)>& change);

 private:
  platform::RegistryStore& store_;
};

// True when the text can be stored; otherwise the system log says which value was dropped.
bool text_fits_registry(std::string_view name, std::string_view value);

// The root that applies to a given copy of the hive.
std::string settings_root(const platform::RegistryHive& hive);

}  // namespace dovel::settings
