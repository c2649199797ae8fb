#pragma once

#include <optional>
#include <string>

#include "app/local_databases.h"
#include "platform/data_home.h"
#include "platform/file_lock.h"

namespace dovel::cli {

// The data home named by "--home DIR" (nullopt: the default one), created and
// made the program folder with its logs, as the client does at start; nullopt,
// with a message, when none can be made.
std::optional<platform::DataHome> open_tool_data_home(const std::optional<std::string>& home_option);

// Holds the data home as a running client does, so that no client starts while
// a command changes its settings; nullopt, with a message, while a client runs
// there (it would write its own settings back over the change).
std::optional<platform::FileLock> hold_stopped_data_home(const platform::DataHome& home);

// Opens (creating and migrating) the data home's two databases; false, with the
// message, when they cannot be used.
bool open_tool_databases(const platform::DataHome& home, app::LocalDatabases& databases);

}  // namespace dovel::cli
