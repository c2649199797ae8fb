#include "ui/app/stored_share_port.h"

#include "platform/registry_store.h"
#include "settings/settings.h"
#include "settings/settings_registry.h"

namespace dovel::ui {

uint16_t stored_share_port(const platform::DataHome& home) {
  platform::RegistryStore store(home.registry_folder());
  const settings::SettingsRegistry registry(store);
  const uint32_t port = registry.read_dword(settings::kSettingSection, "SharePort", settings::kDefaultSharePort);
  return port >= 1 && port <= 65535 ? static_cast<uint16_t>(port) : static_cast<uint16_t>(settings::kDefaultSharePort);
}

}  // namespace dovel::ui
