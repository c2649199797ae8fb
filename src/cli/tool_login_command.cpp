#include "cli/tool_login_command.h"

#include <cstdio>
#include <optional>

#include "base/text.h"
#include "cli/tool_arguments.h"
#include "cli/tool_data_home.h"
#include "platform/registry_store.h"
#include "service/login_credentials.h"
#include "service/stored_login.h"
#include "settings/settings_registry.h"

namespace dovel::cli {

int login_command(const std::vector<std::string>& words) {
  std::optional<ToolArguments> arguments = read_tool_arguments(words);
  if (!arguments || arguments->operands.size() != 2) {
    std::fprintf(stderr, "usage: dovel-tool login [--home DIR] ID PASSWORD\n");
    return 2;
  }
  const std::string user_id = base::ascii_lower(arguments->operands[0]);
  const std::string& password = arguments->operands[1];
  if (std::optional<std::string> refusal = service::login_credentials_refusal(user_id, password)) {
    std::fprintf(stderr, "%s\n", refusal->c_str());
    return 1;
  }
  std::optional<platform::DataHome> home = open_tool_data_home(arguments->home);
  if (!home) return 1;
  std::optional<platform::FileLock> held = hold_stopped_data_home(*home);
  if (!held) return 1;

  platform::RegistryStore store(home->registry_folder());
  settings::SettingsRegistry registry(store);
  const bool stored = registry.edit([&](settings::SettingsRegistry::Writer& writer) {
    service::keep_login(writer, user_id, password, true);
    service::set_auto_login(writer, true);
  });
  if (!stored) {
    std::fprintf(stderr, "설정을 저장하지 못했습니다.\n");
    return 1;
  }
  return 0;
}

}  // namespace dovel::cli
