#include "cli/tool_local_commands.h"

#include <cinttypes>
#include <cstdio>
#include <optional>

#include "cli/tool_arguments.h"
#include "cli/tool_data_home.h"
#include "db/database_lock.h"
#include "platform/data_home.h"
#include "platform/registry_store.h"
#include "settings/settings.h"
#include "share/hash_run.h"
#include "share/hash_settings.h"

namespace dovel::cli {
namespace {

// The data home of a command that takes nothing but "--home DIR"; nullopt
// (with a message) when the command line or the data home is wrong.
std::optional<platform::DataHome> open_data_home(const std::vector<std::string>& options) {
  std::optional<ToolArguments> arguments = read_tool_arguments(options);
  if (!arguments) return std::nullopt;
  if (!arguments->operands.empty()) {
    std::fprintf(stderr, "dovel-tool: unexpected argument %s\n", arguments->operands.front().c_str());
    return std::nullopt;
  }
  return open_tool_data_home(arguments->home);
}

}  // namespace

int db_init_command(const std::vector<std::string>& options) {
  std::optional<platform::DataHome> home = open_data_home(options);
  if (!home) return 2;
  app::LocalDatabases databases;
  return open_tool_databases(*home, databases) ? 0 : 1;
}

int index_command(const std::vector<std::string>& options) {
  std::optional<platform::DataHome> home = open_data_home(options);
  if (!home) return 2;
  app::LocalDatabases databases;
  if (!open_tool_databases(*home, databases)) return 1;

  platform::RegistryStore store(home->registry_folder());
  settings::Settings settings(store, home->root);
  settings.Load();
  // No port check runs here: index as a reachable server would.
  settings.server_usable = true;
  const share::HashSettings hash_settings(settings);

  share::ShareTotals totals;
  share::HashRun run({&hash_settings, home->root / db::kDataFileName, &platform::system_clock(), &totals, nullptr, {}}, 0);
  run.Run();
  if (!run.error().empty()) {
    std::fprintf(stderr, "dovel-tool: %s\n", run.error().c_str());
    return 1;
  }
  share::HashCounts counts = run.counts();
  std::printf("files=%u bytes=%" PRId64 " mib=%u hashed=%d\n", counts.files, counts.total_bytes, totals.get().mib, counts.hashed);
  return 0;
}

}  // namespace dovel::cli
