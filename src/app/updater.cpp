#include "app/updater.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "base/text.h"
#include "platform/spawn.h"

namespace dovel::app {

std::filesystem::path ConfiguredUpdater(const platform::EnvironmentLookup& environment) {
  const char* configured = environment(kUpdaterCommandVariable);
  if (configured == nullptr) return {};
  std::filesystem::path updater{std::string(base::trim(configured))};
  if (!updater.is_absolute() || !updater.has_filename()) return {};
  return updater;
}

std::filesystem::path ConfiguredUpdater() {
  return ConfiguredUpdater([](const char* name) { return std::getenv(name); });
}

std::filesystem::path PendingUpdaterPath(const std::filesystem::path& updater) {
  return updater.parent_path() / ("_" + updater.filename().string());
}

bool ReplaceUpdaterWithPending(const std::filesystem::path& updater) {
  if (updater.empty() || !updater.has_filename()) return false;
  const std::filesystem::path pending = PendingUpdaterPath(updater);
  struct stat status {};
  if (::lstat(pending.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) return false;
  if (::access(pending.c_str(), X_OK) != 0) return false;
  // rename() replaces the old file atomically; deleting it first would leave a
  // moment, or after a failed rename a lasting state, without an updater.
  return std::rename(pending.c_str(), updater.c_str()) == 0;
}

std::filesystem::path RunningExecutable() {
  std::error_code error;
  std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : executable;
}

UpdaterLaunch UpdaterLaunch::FromEnvironment() { return {ConfiguredUpdater(), RunningExecutable()}; }

std::vector<std::string> UpdaterArguments(const UpdaterLaunch& launch, std::string_view update_base_url) {
  return {launch.updater.string(), std::string(update_base_url), launch.executable.string(), "1"};
}

bool StartUpdater(const UpdaterLaunch& launch, std::string_view update_base_url, const std::filesystem::path& program_folder) {
  if (launch.updater.empty() || launch.executable.empty()) return false;
  return platform::spawn_detached(UpdaterArguments(launch, update_base_url), program_folder);
}

}  // namespace dovel::app
