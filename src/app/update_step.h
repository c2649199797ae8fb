#pragma once

#include <filesystem>

#include "app/update_host.h"
#include "app/updater.h"

namespace dovel::app {

enum class UpdateStepOutcome {
  UpToDate,              // nothing to update (or the update list could not be had): go on
  UpdaterStarted,        // the updater runs and will start the program again: end the start
  UpdateWithoutUpdater,  // a file is out of date but no updater is configured: go on
  UpdaterNotStarted,     // a file is out of date but the updater could not be started: go on
};

// The start-up steps after the service status check: the updater's
// self-replacement (when one is configured), the update check against the
// update host, and, when an update is needed and an updater is configured,
// the updater's start. The start must end only on UpdaterStarted.
//
//   ServiceStatus status = CheckServiceStatus(WebUpdateHost(endpoints.web_base));
//   if (status.closed_for_maintenance) { show(status.notice); return false; }
//   if (RunUpdateStep(WebUpdateHost(endpoints.web_base), program_folder) == UpdateStepOutcome::UpdaterStarted) return false;
UpdateStepOutcome RunUpdateStep(const UpdateHost& host, const std::filesystem::path& program_folder,
                                const UpdaterLaunch& launch = UpdaterLaunch::FromEnvironment());

}  // namespace dovel::app
