#pragma once

#include "app/control_channel.h"
#include "download/download_manager.h"

namespace dovel::app {

// The download-list commands of the control socket:
//   downloads      every item: state, status text, size, received, speeds, sources
//   stop HASH      stops an item
//   resume HASH    queues a stopped item again
//   delete HASH    removes a stopped or finished item (a finished file stays)
// A refused command answers "ok":false; the status log has the reason.
void add_download_control_commands(ControlTarget& target, download::DownloadManager& manager);

}  // namespace dovel::app
