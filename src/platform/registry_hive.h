#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace dovel::platform {

// A DWORD or a text (UTF-8), the two value types the program keeps.
using RegistryValue = std::variant<uint32_t, std::string>;

// One hive in memory: keys addressed by backslash-separated paths, values by name.
// Key and value names compare without regard to ASCII case and keep the case they
// were first written with. A key exists when it was created or holds a sub-key.
class RegistryHive {
 public:
  bool key_exists(std::string_view key) const;
  void create_key(std::string_view key);
  // Removes the key with all its values and sub-keys; false when it did not exist.
  bool delete_key(std::string_view key);

  const RegistryValue* find_value(std::string_view key, std::string_view name) const;
  // Creates the key when it is missing.
  void set_value(std::string_view key, std::string_view name, RegistryValue value);
  bool delete_value(std::string_view key, std::string_view name);
  // Value names of a key in the case they were written, sorted without regard to case.
  std::vector<std::string> value_names(std::string_view key) const;

  // The text form kept on disk (UTF-8, one "[key]" line followed by its values).
  std::string serialize() const;
  // Lines that cannot be read are skipped; the rest is kept.
  static RegistryHive parse(std::string_view text);

 private:
  struct NamedValue {
    std::string name;
    RegistryValue value;
  };
  struct Key {
    std::string path;
    std::map<std::string, NamedValue> values;  // by lower-cased name
  };

  static std::string normalize(std::string_view key);
  Key& ensure_key(std::string_view key);

  std::map<std::string, Key> keys_;  // by lower-cased normalized path
};

}  // namespace dovel::platform
