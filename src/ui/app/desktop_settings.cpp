#include "ui/app/desktop_settings.h"

#include "app/settings.h"
#include "service/stored_login.h"
#include "util/file_utils.h"

namespace dovel::ui {

DesktopSettings::DesktopSettings(const platform::DataHome& home)
    : program_folder_(home.root), store_(home.registry_folder()), registry_(store_) {}

uint16_t DesktopSettings::share_port() const {
  const uint32_t port = registry_.read_dword(app::kSettingSection, "SharePort", app::kDefaultSharePort);
  return port >= 1 && port <= 65535 ? static_cast<uint16_t>(port) : static_cast<uint16_t>(app::kDefaultSharePort);
}

std::string DesktopSettings::download_folder() const {
  const std::string stored = registry_.read_text(app::kSettingSection, "DownPath");
  if (!stored.empty()) return stored;
  return util::collapse_doubled_separators(program_folder_.string() + "/Download/");
}

bool DesktopSettings::notify_window_on() const { return registry_.read_dword(app::kSettingSection, "UseNotifyWindow", 1) != 0; }

bool DesktopSettings::auto_login() const { return service::read_stored_login(registry_.reader()).auto_login; }

void DesktopSettings::set_auto_login(bool on) {
  registry_.edit([on](app::SettingsRegistry::Writer& writer) { service::set_auto_login(writer, on); });
}

}  // namespace dovel::ui
