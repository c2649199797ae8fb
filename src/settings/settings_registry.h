#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry_store.h"
#include "settings/setting_rows.h"

namespace dovel::settings {

inline constexpr std::string_view kPrimaryRoot = "Software\\VARNO\\Dovel";
inline constexpr std::string_view kFallbackRoot = "Software\\TALVEN\\Dovel";
// Texts longer than this are not written (the registry's limit for the program's values).
inline constexpr size_t kMaxRegistryTextCharacters = 2048;

// The program's settings key in the current user's hive. The root is
// "Software\\VARNO\\Dovel" when that key exists and "Software\\TALVEN\\Dovel"
// otherwise, decided again at every access. Values are read and written by
// their rows of the settings table: a missing value reads as the row's default
// on load, a number outside its range as the row's repair, and a letter-pair
// text comes back plain. Texts with a computed default (the server title, the
// download folder) read as stored; Load fills those in.
class SettingsRegistry {
 public:
  explicit SettingsRegistry(platform::RegistryStore& store) : store_(store) {}

  // A writer over one consistent copy of the hive; its changes are committed together.
  class Writer {
   public:
    explicit Writer(platform::RegistryHive& hive);
    void write(const FlagSetting& row, bool on);
    void write(const NumberSetting& row, uint32_t value);
    // False (and a line in the system log) for a text over the length limit.
    bool write(const TextSetting& row, std::string_view text);
    // The shared-folder list's values, named by their index.
    bool write_text(std::string_view section, std::string_view name, std::string_view value);
    void delete_section(std::string_view section);

   private:
    std::string key_of(std::string_view section) const;
    platform::RegistryHive& hive_;
    std::string root_;
  };

  // One consistent copy of the hive, root chosen once.
  class Reader {
   public:
    explicit Reader(platform::RegistryHive hive);
    bool read(const FlagSetting& row) const;
    uint32_t read(const NumberSetting& row) const;
    std::string read(const TextSetting& row) const;
    // The shared-folder list's values, named by their index; "" when missing.
    std::string read_text(std::string_view section, std::string_view name) const;

   private:
    std::optional<uint32_t> find_dword(std::string_view section, std::string_view name) const;
    std::string key_of(std::string_view section) const;
    platform::RegistryHive hive_;
    std::string root_;
  };
  Reader reader() const;

  std::string root() const;
  bool read(const FlagSetting& row) const { return reader().read(row); }
  uint32_t read(const NumberSetting& row) const { return reader().read(row); }
  std::string read(const TextSetting& row) const { return reader().read(row); }
  bool write(const FlagSetting& row, bool on);
  bool write(const NumberSetting& row, uint32_t value);
  bool write(const TextSetting& row, std::string_view text);
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
