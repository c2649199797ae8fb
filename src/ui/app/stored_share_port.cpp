#include "ui/app/stored_share_port.h"

#include "platform/registry_store.h"
#include "settings/setting_table.h"
#include "settings/settings_registry.h"

namespace dovel::ui {

uint16_t stored_share_port(const platform::DataHome& home) {
  platform::RegistryStore store(home.registry_folder());
  const settings::SettingsRegistry registry(store);
  return static_cast<uint16_t>(registry.read(settings::kSharePort));
}

}  // namespace dovel::ui
