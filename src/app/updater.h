#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data_home.h"

namespace dovel::app {

// The updater is a separate program that replaces the installation's files and
// starts this program again. It is started only when configured, and nothing
// is ever downloaded to be run: without a configured updater an update is
// found but not carried out.
inline constexpr const char* kUpdaterCommandVariable = "DOVEL_UPDATER_COMMAND";

// The updater program named by DOVEL_UPDATER_COMMAND: an absolute path, taken
// whole (blanks at either end trimmed), started with an argument vector, never
// through a shell or a PATH search. Unset, empty or relative: none (an empty path).
std::filesystem::path ConfiguredUpdater(const platform::EnvironmentLookup& environment);
std::filesystem::path ConfiguredUpdater();

// A new updater waits beside the one it replaces, its file name prefixed with
// "_" ("/opt/dovel/dovel-updater" -> "/opt/dovel/_dovel-updater"): the updater
// cannot overwrite its own file while it runs.
std::filesystem::path PendingUpdaterPath(const std::filesystem::path& updater);

// The updater's self-replacement at start: when the pending file is a
// non-empty regular file that may be run (not a link), it takes the updater's
// place in one atomic rename, so there is no moment without an updater. An
// empty or unrunnable pending file replaces nothing and stays where it is.
// True when the updater was replaced.
bool ReplaceUpdaterWithPending(const std::filesystem::path& updater);

// This program's own executable, which the updater starts again; empty when unknown.
std::filesystem::path RunningExecutable();

struct UpdaterLaunch {
  std::filesystem::path updater;     // empty: none configured, never started
  std::filesystem::path executable;  // the program the updater starts again

  // ConfiguredUpdater() and RunningExecutable().
  static UpdaterLaunch FromEnvironment();
};

// The updater's argument vector: the updater itself, the update base URL, this
// program's executable, and "1" (the updater passes it on when it restarts the program).
std::vector<std::string> UpdaterArguments(const UpdaterLaunch& launch, std::string_view update_base_url);

// Starts the updater detached, in the program folder; false when there is none
// to start or it could not be started.
bool StartUpdater(const UpdaterLaunch& launch, std::string_view update_base_url, const std::filesystem::path& program_folder);

}  // namespace dovel::app
