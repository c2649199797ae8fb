#pragma once

#include <string>
#include <vector>

namespace dovel::util {

// The command that powers the computer off when transfers end: the words of
// DOVEL_POWEROFF_COMMAND when set (so tests can record the call), otherwise
// "systemctl poweroff".
std::vector<std::string> PowerOffCommand();

// Starts the command (no shell); false when it could not be started.
bool ShutdownComputer(const std::vector<std::string>& command = PowerOffCommand());

}  // namespace dovel::util
