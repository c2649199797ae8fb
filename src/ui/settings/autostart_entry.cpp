#include "ui/settings/autostart_entry.h"

#include <cstdlib>
#include <string>

#include "platform/atomic_file.h"
#include "platform/data_home.h"
#include "util/url_protocol.h"

namespace dovel::ui {

std::optional<std::filesystem::path> autostart_entry_from_environment() {
  auto xdg = platform::xdg_base_folders([](const char* name) { return std::getenv(name); });
  if (!xdg) return std::nullopt;
  return xdg->config / "autostart" / "dovel.desktop";
}

bool write_autostart_entry(const std::filesystem::path& entry_file, const std::filesystem::path& executable) {
  const std::string program = executable.string();
  // A line break would end the Exec line and let the rest become keys of its own.
  if (program.empty() || program.find_first_of("\r\n") != std::string::npos) return false;
  std::error_code error;
  std::filesystem::create_directories(entry_file.parent_path(), error);
  if (error) return false;
  const std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Dovel\n"
      "Exec=" + util::DesktopExecQuote(program) + "\n"
      "Icon=dovel\n"
      "Terminal=false\n"
      "X-GNOME-Autostart-enabled=true\n";
  return platform::write_file_atomically(entry_file, entry);
}

bool remove_autostart_entry(const std::filesystem::path& entry_file) {
  std::error_code error;
  std::filesystem::remove(entry_file, error);
  return !error;
}

}  // namespace dovel::ui
