#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace dovel::platform {

// Where one client keeps everything: databases, Log/, Download/, Upload/ under
// `root`; the settings store and the profile under `config`.
struct DataHome {
  std::filesystem::path root;
  std::filesystem::path config;

  // The registry store's hive files live in the config folder, the profile beside them.
  std::filesystem::path registry_folder() const { return config; }
  std::filesystem::path profile_file() const { return config / "dovel.ini"; }
};

using EnvironmentLookup = std::function<const char*(const char*)>;

// The user's XDG base folders: $XDG_DATA_HOME and $XDG_CONFIG_HOME, each
// falling back to ~/.local/share and ~/.config (a relative value counts as unset).
struct XdgBaseFolders {
  std::filesystem::path data;
  std::filesystem::path config;
};
std::optional<XdgBaseFolders> xdg_base_folders(const EnvironmentLookup& environment);

// --home DIR wins, then DOVEL_HOME (both keep the settings in DIR/config, so one
// folder describes one client), then $XDG_DATA_HOME/dovel with the settings in
// $XDG_CONFIG_HOME/dovel.
// nullopt when no folder can be derived (no option, no variables, no HOME).
std::optional<DataHome> resolve_data_home(const std::optional<std::string>& home_option, const EnvironmentLookup& environment);

std::optional<DataHome> resolve_data_home(const std::optional<std::string>& home_option);

// Creates both folders; false when either cannot be made.
bool create_data_home(const DataHome& home);

}  // namespace dovel::platform
