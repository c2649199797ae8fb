#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "download/download_item.h"
#include "download/received_ranges.h"
#include "download/run_signals.h"
#include "download/source_lookup.h"
#include "download/transfer_context.h"
#include "download/transfer_loop.h"
#include "platform/socket.h"
#include "service/service_session.h"

namespace dovel::download {

// What the runner shares between the runs.
struct RunShared {
  SourceLookupSchedule* lookups = nullptr;
  // Chargeable megabytes still to fetch by every running download.
  std::function<int64_t()> chargeable_megabytes;
};

// The run of one item, on the calling thread (the item's worker): the checks,
// the partial file, the sources, the transfer, the move into the download
// folder and the report. Ends with the item in state 3 (and a status code) or 5.
// After this many runs whose bytes were not the file, whichever servers sent
// them, the item is stopped for good: no automatic retry fetches it again.
inline constexpr int kMostContentMismatches = 3;

class ItemRun {
 public:
  ItemRun(const TransferContext& context, std::shared_ptr<DownloadItem> item, std::shared_ptr<RunSignals> run_signals, RunShared shared);
  ItemRun(const ItemRun&) = delete;
  ItemRun& operator=(const ItemRun&) = delete;

  void run();

 private:
  bool passes_checks();
  bool open_partial_file();
  LoopResult transfer();
  bool may_charge();
  bool gather_sources();
  LoopSetup loop_setup(std::vector<Source> sources, bool several_connections);
  void finish(LoopResult result);
  void complete();
  void completion_step(CompletionStep step);
  void start_over();
  // Under the item lock: the source sent bytes that were not the file.
  bool is_excluded_locked(const Source& source) const;
  void record_stopped();
  void send_report();
  void stop_with(int status_code);
  platform::Ipv4 own_address() const;

  const TransferContext& context_;
  std::shared_ptr<DownloadItem> item_;
  std::shared_ptr<RunSignals> signals_;
  RunShared shared_;

  // Fixed for the run, read from the item and the session when it starts.
  std::string hash_;
  std::string name_;
  int64_t size_ = 0;
  std::filesystem::path download_folder_;
  std::string sub_folder_;
  std::string folder_password_;
  service::SessionRecord session_;
  bool privileged_ = false;
  int paid_state_ = 0;

  std::filesystem::path partial_path_;
  platform::UniqueFd partial_;
  std::optional<ReceivedRanges> ranges_;
  std::vector<std::string> serving_owners_;
  std::vector<Source> serving_sources_;
};

}  // namespace dovel::download
