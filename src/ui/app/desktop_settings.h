#pragma once

#include <cstdint>
#include <string>

#include "app/settings_registry.h"
#include "platform/data_home.h"
#include "platform/registry_store.h"

namespace dovel::ui {

// The few stored choices the main window reads and switches itself, read
// straight from the settings store each time, so that a change made by the
// settings sheet shows at once.
class DesktopSettings {
 public:
  explicit DesktopSettings(const platform::DataHome& home);

  // The share port the start-up check will test (1..65535, else the default).
  uint16_t share_port() const;
  std::string download_folder() const;
  bool notify_window_on() const;
  bool auto_login() const;
  // Off also forgets the stored password.
  void set_auto_login(bool on);

 private:
  std::filesystem::path program_folder_;
  platform::RegistryStore store_;
  app::SettingsRegistry registry_;
};

}  // namespace dovel::ui
