#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace dovel::cli {

// The settings values a user reads and changes without the settings pages, by
// their registry names: the stored settings table, then the values of single
// windows that matter without a window (AutoTray, AutoLogin and the two speed
// limits). A change passes the same checks as on the pages, with their messages.

// What the checks need beyond the settings themselves.
struct SettingContext {
  std::string web_base;  // the service's web host; IntroURL must not name its domain
};

struct SettingChange {
  std::optional<std::string> refusal;  // why nothing was changed
  std::string notice;                  // what the page says after storing ("" when nothing)
};

// Every name, in the order the settings store keeps them.
const std::vector<std::string_view>& setting_value_names();

// The registry's spelling of a name given in any ASCII case; nullopt when unknown.
std::optional<std::string_view> find_setting_value(std::string_view name);

// The value as the client uses it (after the load's repairs), as text: flags 0
// or 1, numbers in decimal, FolderPass as plain text. `settings` is loaded.
std::string read_setting_value(settings::Settings& settings, std::string_view name);

// Checks `text` for the value and, when it passes, stores it at once.
SettingChange write_setting_value(settings::Settings& settings, std::string_view name, std::string_view text, const SettingContext& context);

}  // namespace dovel::cli
