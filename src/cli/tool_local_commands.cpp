#include "cli/tool_local_commands.h"

#include <cinttypes>
#include <cstdio>
#include <optional>

#include "app/local_databases.h"
#include "app/settings.h"
#include "db/database_lock.h"
#include "platform/data_home.h"
#include "platform/registry_store.h"
#include "share/hash_run.h"
#include "util/log_files.h"
#include "util/program_path.h"

namespace dovel::cli {
namespace {

// The data home named by "--home DIR" (or the default), created and made the
// program folder; nullopt (with a message) when the options are wrong.
std::optional<platform::DataHome> open_data_home(const std::vector<std::string>& options) {
  std::optional<std::string> home_option;
  for (size_t i = 0; i < options.size(); ++i) {
    if (options[i] == "--home" && i + 1 < options.size()) {
      home_option = options[++i];
    } else {
      std::fprintf(stderr, "dovel-tool: unknown option %s\n", options[i].c_str());
      return std::nullopt;
    }
  }
  std::optional<platform::DataHome> home = platform::resolve_data_home(home_option);
  if (!home || !platform::create_data_home(*home)) {
    std::fprintf(stderr, "dovel-tool: no usable data home\n");
    return std::nullopt;
  }
  util::SetProgramFolder(home->root);
  util::ConfigureLogFiles(home->root, platform::system_clock());
  return home;
}

bool open_databases(const platform::DataHome& home, app::LocalDatabases& databases) {
  if (std::optional<std::string> failure = app::open_local_databases(home.root, databases)) {
    std::fprintf(stderr, "dovel-tool: %s\n", failure->c_str());
    return false;
  }
  return true;
}

}  // namespace

int db_init_command(const std::vector<std::string>& options) {
  std::optional<platform::DataHome> home = open_data_home(options);
  if (!home) return 2;
  app::LocalDatabases databases;
  return open_databases(*home, databases) ? 0 : 1;
}

int index_command(const std::vector<std::string>& options) {
  std::optional<platform::DataHome> home = open_data_home(options);
  if (!home) return 2;
  app::LocalDatabases databases;
  if (!open_databases(*home, databases)) return 1;

  platform::RegistryStore store(home->registry_folder());
  app::Settings settings(store, home->root);
  settings.Load();
  // No port check runs here: index as a reachable server would.
  settings.server_usable = true;

  share::ShareTotals totals;
  share::HashRun run({&settings, home->root / db::kDataFileName, &platform::system_clock(), &totals, nullptr, {}}, 0);
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
