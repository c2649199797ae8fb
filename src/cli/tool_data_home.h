#pragma once

#include <optional>
#include <string>

#include "app/local_databases.h"
#include "platform/data_home.h"

namespace dovel::cli {

// The data home named by "--home DIR" (nullopt: the default one), created and
// made the program folder with its logs, as the client does at start; nullopt,
// with a message, when none can be made.
std::optional<platform::DataHome> open_tool_data_home(const std::optional<std::string>& home_option);

// Opens (creating and migrating) the data home's two databases; false, with the
// message, when they cannot be used.
bool open_tool_databases(const platform::DataHome& home, app::LocalDatabases& databases);

}  // namespace dovel::cli
