#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry_hive.h"

namespace dovel::platform {

enum class Hive { CurrentUser, LocalMachine, ClassesRoot };

// The program's registry: one UTF-8 text file per hive in the config folder.
// Every change is a read-modify-write of the whole file under a file lock, ending
// in one atomic replace, so that concurrent processes and crashes never lose a
// value. Reads see the file's latest committed state.
class RegistryStore {
 public:
  explicit RegistryStore(std::filesystem::path folder);

  bool key_exists(Hive hive, std::string_view key) const;
  std::optional<std::string> read_string(Hive hive, std::string_view key, std::string_view name) const;
  std::optional<uint32_t> read_dword(Hive hive, std::string_view key, std::string_view name) const;
  // A copy of the whole hive, for readers that need several values at one moment.
  RegistryHive snapshot(Hive hive) const;

  // Applies `change` to the current contents and writes the result in one atomic
  // replace. False when the file cannot be read or written; nothing is changed then.
  bool edit(Hive hive, const std::function<void(RegistryHive&)>& change);

  bool write_string(Hive hive, std::string_view key, std::string_view name, std::string_view value);
  bool write_dword(Hive hive, std::string_view key, std::string_view name, uint32_t value);
  bool delete_value(Hive hive, std::string_view key, std::string_view name);
  bool delete_key(Hive hive, std::string_view key);

  std::filesystem::path file_of(Hive hive) const;

 private:
  // The parsed hive together with the text it came from. The file is read on every
  // access and parsed again only when its text differs: size, time stamp and inode
  // number do not tell two versions apart (coarse time stamps, reused inodes).
  struct Cached {
    std::optional<std::string> text;
    RegistryHive hive;
  };

  // The file's current contents; nullopt when it exists but cannot be read.
  std::optional<RegistryHive> load_locked(Hive hive) const;

  std::filesystem::path folder_;
  mutable std::mutex mutex_;
  mutable std::array<Cached, 3> cache_;
};

}  // namespace dovel::platform
