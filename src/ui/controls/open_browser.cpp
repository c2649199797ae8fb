#include "ui/controls/open_browser.h"

#include "base/text.h"
#include "platform/spawn.h"

namespace dovel::ui {

ProgramStarter desktop_opener() {
  return [](const std::vector<std::string>& argv) { return platform::spawn_detached(argv); };
}

bool openable_page_address(std::string_view url) {
  if (!base::starts_with_ascii_nocase(url, "http://") && !base::starts_with_ascii_nocase(url, "https://") &&
      !base::starts_with_ascii_nocase(url, "file://")) {
    return false;
  }
  for (unsigned char c : url) {
    if (c <= 0x20 || c == 0x7f) return false;
  }
  return true;
}

bool OpenBrowser(const std::string& url, const ProgramStarter& starter) {
  if (!openable_page_address(url) || !starter) return false;
  return starter({"xdg-open", url});
}

bool OpenLocalPath(const std::string& path, const ProgramStarter& starter) {
  if (path.empty() || path.front() != '/' || !starter) return false;
  return starter({"xdg-open", path});
}

}  // namespace dovel::ui
