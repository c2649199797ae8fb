#pragma once

#include "download/scheduling.h"

namespace dovel::download {

// The second list of the download window, the folder downloads, as the
// download queue schedules and stops it together with its own list.
class FolderDownloadQueue {
 public:
  virtual ~FolderDownloadQueue() = default;
  // Enters the sources of its items (busy for running ones).
  virtual void enter_sources(BusyServers& servers) const = 0;
  // Starts its waiting items with its own count under the same limit.
  virtual void schedule(int limit, BusyServers& servers) = 0;
  // Stops every item in a state up to 2 for the exit; the number of running
  // ones, each of which reports its end through DownloadManager::exit_run_ended().
  virtual int stop_all_for_exit() = 0;
};

}  // namespace dovel::download
