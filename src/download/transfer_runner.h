#pragma once

#include <memory>

#include "download/download_item.h"

namespace dovel::download {

// What the manager asks of the transfer side: the run of one item on a thread
// of its own. When a run ends it reports through the callback it was given at
// construction (the item's final state and status code are set by then).
class TransferRunner {
 public:
  virtual ~TransferRunner() = default;
  // Starts the run of `item`; false when its thread cannot be made (the caller
  // then puts the item in state 3).
  virtual bool start(const std::shared_ptr<DownloadItem>& item) = 0;
  // Shuts every connection of the item down and asks its run to end; returns at once.
  virtual void cancel(DownloadItem& item) = 0;
  // Whether the connect worker that sets up data connections is there (a
  // download cannot start without it).
  virtual bool can_connect() const = 0;
  // Cancels every run and joins their threads.
  virtual void stop_all() = 0;
};

}  // namespace dovel::download
