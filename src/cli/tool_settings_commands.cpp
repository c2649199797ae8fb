#include "cli/tool_settings_commands.h"

#include <cstdio>
#include <optional>

#include "cli/setting_values.h"
#include "cli/tool_arguments.h"
#include "cli/tool_data_home.h"
#include "platform/registry_store.h"
#include "service/endpoints.h"
#include "settings/settings.h"

namespace dovel::cli {
namespace {

int usage(const char* line) {
  std::fprintf(stderr, "usage: dovel-tool %s\n", line);
  return 2;
}

std::optional<std::string_view> known_value(const std::string& name) {
  std::optional<std::string_view> found = find_setting_value(name);
  if (!found) std::fprintf(stderr, "dovel-tool: unknown value name %s (\"get\" lists them)\n", name.c_str());
  return found;
}

}  // namespace

int set_command(const std::vector<std::string>& words) {
  constexpr const char* kUsage = "set [--home DIR] VALUE_NAME VALUE";
  std::optional<ToolArguments> arguments = read_tool_arguments(words);
  if (!arguments || arguments->operands.size() != 2) return usage(kUsage);
  std::optional<std::string_view> name = known_value(arguments->operands[0]);
  if (!name) return 2;
  std::optional<platform::DataHome> home = open_tool_data_home(arguments->home);
  if (!home) return 1;
  std::optional<platform::FileLock> held = hold_stopped_data_home(*home);
  if (!held) return 1;

  platform::RegistryStore store(home->registry_folder());
  settings::Settings settings(store, home->root);
  settings.Load();
  const SettingContext context{service::load_service_config(home->root).config.web_base};
  SettingChange change = write_setting_value(settings, *name, arguments->operands[1], context);
  if (change.refusal) {
    std::fprintf(stderr, "%s\n", change.refusal->c_str());
    return 1;
  }
  if (!change.notice.empty()) std::printf("%s\n", change.notice.c_str());
  return 0;
}

int get_command(const std::vector<std::string>& words) {
  constexpr const char* kUsage = "get [--home DIR] [VALUE_NAME]";
  std::optional<ToolArguments> arguments = read_tool_arguments(words);
  if (!arguments || arguments->operands.size() > 1) return usage(kUsage);
  std::optional<std::string_view> name;
  if (!arguments->operands.empty()) {
    name = known_value(arguments->operands[0]);
    if (!name) return 2;
  }
  std::optional<platform::DataHome> home = open_tool_data_home(arguments->home);
  if (!home) return 1;

  platform::RegistryStore store(home->registry_folder());
  settings::Settings settings(store, home->root);
  settings.Load();
  if (name) {
    std::printf("%s\n", read_setting_value(settings, *name).c_str());
    return 0;
  }
  for (std::string_view each : setting_value_names()) {
    std::printf("%.*s=%s\n", static_cast<int>(each.size()), each.data(), read_setting_value(settings, each).c_str());
  }
  return 0;
}

}  // namespace dovel::cli
