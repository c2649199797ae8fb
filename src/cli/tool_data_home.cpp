#include "cli/tool_data_home.h"

#include <cstdio>

#include "app/single_instance.h"
#include "platform/clock.h"
#include "util/log_files.h"
#include "util/program_path.h"

namespace dovel::cli {

std::optional<platform::DataHome> open_tool_data_home(const std::optional<std::string>& home_option) {
  std::optional<platform::DataHome> home = platform::resolve_data_home(home_option);
  if (!home || !platform::create_data_home(*home)) {
    std::fprintf(stderr, "dovel-tool: no usable data home\n");
    return std::nullopt;
  }
  util::SetProgramFolder(home->root);
  util::ConfigureLogFiles(home->root, platform::system_clock());
  return home;
}

std::optional<platform::FileLock> hold_stopped_data_home(const platform::DataHome& home) {
  std::optional<platform::FileLock> held = platform::FileLock::try_acquire(app::InstanceFiles::in(home.root).instance_lock);
  if (!held) {
    std::fprintf(stderr, "dovel-tool: a Dovel client is running on %s; end it first, it keeps its own settings\n",
                 home.root.c_str());
  }
  return held;
}

bool open_tool_databases(const platform::DataHome& home, app::LocalDatabases& databases) {
  if (std::optional<std::string> failure = app::open_local_databases(home.root, databases)) {
    std::fprintf(stderr, "dovel-tool: %s\n", failure->c_str());
    return false;
  }
  return true;
}

}  // namespace dovel::cli
