#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dovel::platform {

// Starts a program with an argument vector (argv[0] is looked up in PATH when it
// has no slash); no shell is involved, so no argument is ever interpreted.
// Returns the child's process id, or nullopt when it could not be started.
std::optional<pid_t> spawn_process(const std::vector<std::string>& argv, const std::optional<std::filesystem::path>& working_folder = std::nullopt);

// Waits for a child started above; its exit status, or -1 when it did not exit normally.
int wait_process(pid_t pid);

// Starts a program whose end nobody waits for; a background thread reaps it.
bool spawn_detached(const std::vector<std::string>& argv, const std::optional<std::filesystem::path>& working_folder = std::nullopt);

}  // namespace dovel::platform
