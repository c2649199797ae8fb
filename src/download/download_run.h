#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "download/run_signals.h"
#include "download/source_lookup.h"
#include "download/transfer_context.h"
#include "download/transfer_runner.h"

namespace dovel::download {

// The transfer side of the downloads: one thread per running item (joined,
// never detached), each carrying out the item's run. Safe to call from any
// thread. The share server's connect worker must carry out the runs'
// connection requests: give it handle_connect_request (connect_worker.h).
class DownloadRun final : public TransferRunner {
 public:
  // Called on the run's thread when it ends; the item's final state and status
  // code are set by then. The manager posts it on to its own thread; it must
  // not wait there for runs to end (stop_all cannot join the calling run).
  using RunEnded = std::function<void(const std::shared_ptr<DownloadItem>& item)>;

  DownloadRun(TransferContext context, RunEnded run_ended);
  ~DownloadRun() override;
  DownloadRun(const DownloadRun&) = delete;
  DownloadRun& operator=(const DownloadRun&) = delete;

  bool start(const std::shared_ptr<DownloadItem>& item) override;
  void cancel(DownloadItem& item) override;
  bool can_connect() const override;
  void stop_all() override;

  // The items whose runs have not ended.
  int running_count() const;
  // Chargeable megabytes still to fetch by the running downloads and the
  // running folder files: max(0, floor(missing / 1 MiB) - 10) each.
  int64_t chargeable_megabytes() const;

 private:
  struct Run {
    std::shared_ptr<DownloadItem> item;
    std::shared_ptr<RunSignals> run_signals;
    std::thread thread;
    std::atomic<bool> work_done{false};  // only the end callback is left
    std::atomic<bool> ended{false};      // the thread is about to return
  };

  bool launch(const std::shared_ptr<DownloadItem>& item);
  void body(Run& run);
  std::vector<std::unique_ptr<Run>> take_ended_locked();

  const TransferContext context_;
  const RunEnded run_ended_;
  SourceLookupSchedule lookups_;
  mutable std::mutex lock_;
  std::map<const DownloadItem*, std::unique_ptr<Run>> runs_;
  bool stopping_ = false;
};

}  // namespace dovel::download
