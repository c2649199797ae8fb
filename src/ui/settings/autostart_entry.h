#pragma once

#include <filesystem>
#include <optional>

namespace dovel::ui {

// The desktop starts the programs listed in the user's autostart folder when the
// user logs in: ~/.config/autostart/dovel.desktop ($XDG_CONFIG_HOME respected);
// nullopt when no home can be found.
std::optional<std::filesystem::path> autostart_entry_from_environment();

// Writes the entry that starts `executable` at log-in, replacing any older one.
bool write_autostart_entry(const std::filesystem::path& entry_file, const std::filesystem::path& executable);

// Removes the entry; a missing entry is success.
bool remove_autostart_entry(const std::filesystem::path& entry_file);

}  // namespace dovel::ui
