#include "ui/app/stored_share_port.h"

#include "app/settings.h"
#include "app/settings_registry.h"
#include "platform/registry_store.h"

namespace dovel::ui {

uint16_t stored_share_port(const platform::DataHome& home) {
  platform::RegistryStore store(home.registry_folder());
  const app::SettingsRegistry registry(store);
  const uint32_t port = registry.read_dword(app::kSettingSection, "SharePort", app::kDefaultSharePort);
  return port >= 1 && port <= 65535 ? static_cast<uint16_t>(port) : static_cast<uint16_t>(app::kDefaultSharePort);
}

}  // namespace dovel::ui
