#include "platform/registry_store.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/atomic_file.h"

namespace dovel::platform {
namespace {

constexpr size_t kMaxHiveBytes = 16 * 1024 * 1024;

size_t index_of(Hive hive) { return static_cast<size_t>(hive); }

}  // namespace

RegistryStore::RegistryStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::filesystem::path RegistryStore::file_of(Hive hive) const {
  static constexpr const char* kNames[] = {"hkcu.registry", "hklm.registry", "hkcr.registry"};
  return folder_ / kNames[index_of(hive)];
}

std::optional<RegistryHive> RegistryStore::load_locked(Hive hive) const {
  Cached& cached = cache_[index_of(hive)];
  const std::filesystem::path path = file_of(hive);
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    if (errno != ENOENT) return std::nullopt;
    cached.text.reset();
    cached.hive = RegistryHive();
    return cached.hive;
  }
  auto text = read_whole_file(path, kMaxHiveBytes);
  if (!text) return std::nullopt;
  if (cached.text != text) {
    cached.hive = RegistryHive::parse(*text);
    cached.text = std::move(text);
  }
  return cached.hive;
}

RegistryHive RegistryStore::snapshot(Hive hive) const {
  std::lock_guard lock(mutex_);
  return load_locked(hive).value_or(RegistryHive());
}

bool RegistryStore::key_exists(Hive hive, std::string_view key) const { return snapshot(hive).key_exists(key); }

std::optional<std::string> RegistryStore::read_string(Hive hive, std::string_view key, std::string_view name) const {
  RegistryHive contents = snapshot(hive);
  const RegistryValue* value = contents.find_value(key, name);
  if (value == nullptr || !std::holds_alternative<std::string>(*value)) return std::nullopt;
  return std::get<std::string>(*value);
}

std::optional<uint32_t> RegistryStore::read_dword(Hive hive, std::string_view key, std::string_view name) const {
  RegistryHive contents = snapshot(hive);
  const RegistryValue* value = contents.find_value(key, name);
  if (value == nullptr || !std::holds_alternative<uint32_t>(*value)) return std::nullopt;
  return std::get<uint32_t>(*value);
}

bool RegistryStore::edit(Hive hive, const std::function<void(RegistryHive&)>& change) {
  std::lock_guard lock(mutex_);
  std::error_code ignored;
  std::filesystem::create_directories(folder_, ignored);
  FileLock file_lock(folder_ / "registry.lock");
  if (!file_lock.locked()) return false;
  std::optional<RegistryHive> contents = load_locked(hive);
  if (!contents) return false;
  change(*contents);
  return write_file_atomically(file_of(hive), contents->serialize());
}

bool RegistryStore::write_string(Hive hive, std::string_view key, std::string_view name, std::string_view value) {
  return edit(hive, [&](RegistryHive& contents) { contents.set_value(key, name, std::string(value)); });
}

bool RegistryStore::write_dword(Hive hive, std::string_view key, std::string_view name, uint32_t value) {
  return edit(hive, [&](RegistryHive& contents) { contents.set_value(key, name, value); });
}

bool RegistryStore::delete_value(Hive hive, std::string_view key, std::string_view name) {
  bool existed = false;
  bool written = edit(hive, [&](RegistryHive& contents) { existed = contents.delete_value(key, name); });
  return written && existed;
}

bool RegistryStore::delete_key(Hive hive, std::string_view key) {
  bool existed = false;
  bool written = edit(hive, [&](RegistryHive& contents) { existed = contents.delete_key(key); });
  return written && existed;
}

}  // namespace dovel::platform
