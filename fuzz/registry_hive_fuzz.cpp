// The settings store's files can be edited by hand or damaged by a crash elsewhere.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/registry_hive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using dovel::platform::RegistryHive;
  RegistryHive hive = RegistryHive::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  std::string once = hive.serialize();
  if (RegistryHive::parse(once).serialize() != once) __builtin_trap();
  return 0;
}
