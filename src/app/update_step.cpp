#include "app/update_step.h"

#include "app/update_check.h"

namespace dovel::app {

UpdateStepOutcome RunUpdateStep(const UpdateHost& host, const std::filesystem::path& program_folder, const UpdaterLaunch& launch) {
  if (!launch.updater.empty()) ReplaceUpdaterWithPending(launch.updater);
  if (!CheckForUpdate(host, program_folder)) return UpdateStepOutcome::UpToDate;
  if (launch.updater.empty()) return UpdateStepOutcome::UpdateWithoutUpdater;
  if (!StartUpdater(launch, UpdateBaseUrl(host.base), program_folder)) return UpdateStepOutcome::UpdaterNotStarted;
  return UpdateStepOutcome::UpdaterStarted;
}

}  // namespace dovel::app
