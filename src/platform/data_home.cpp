#include "platform/data_home.h"

#include <cstdlib>

namespace dovel::platform {
namespace {

std::optional<std::filesystem::path> variable(const EnvironmentLookup& environment, const char* name) {
  const char* value = environment(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::filesystem::path(value);
}

DataHome self_contained(const std::filesystem::path& folder) {
  std::filesystem::path root = std::filesystem::absolute(folder).lexically_normal();
  return {root, root / "config"};
}

std::optional<std::filesystem::path> absolute_variable(const EnvironmentLookup& environment, const char* name) {
  auto value = variable(environment, name);
  if (value && !value->is_absolute()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<XdgBaseFolders> xdg_base_folders(const EnvironmentLookup& environment) {
  auto home = variable(environment, "HOME");
  auto data = absolute_variable(environment, "XDG_DATA_HOME");
  auto config = absolute_variable(environment, "XDG_CONFIG_HOME");
  if (!data && home) data = *home / ".local" / "share";
  if (!config && home) config = *home / ".config";
  if (!data || !config) return std::nullopt;
  return XdgBaseFolders{*data, *config};
}

std::optional<DataHome> resolve_data_home(const std::optional<std::string>& home_option, const EnvironmentLookup& environment) {
  if (home_option && !home_option->empty()) return self_contained(*home_option);
  if (auto dovel_home = variable(environment, "DOVEL_HOME")) return self_contained(*dovel_home);
  auto xdg = xdg_base_folders(environment);
  if (!xdg) return std::nullopt;
  return DataHome{xdg->data / "dovel", xdg->config / "dovel"};
}

std::optional<DataHome> resolve_data_home(const std::optional<std::string>& home_option) {
  return resolve_data_home(home_option, [](const char* name) { return std::getenv(name); });
}

bool create_data_home(const DataHome& home) {
  std::error_code error;
  std::filesystem::create_directories(home.root, error);
  if (error) return false;
  std::filesystem::create_directories(home.config, error);
  return !error;
}

}  // namespace dovel::platform
