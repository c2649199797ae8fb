#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "core/message.h"
#include "core/transfer_meter.h"
#include "db/info_database.h"
#include "download/content_filter.h"
#include "download/download_item.h"
#include "download/download_settings.h"
#include "download/false_reports.h"
#include "download/paid_content.h"
#include "download/peer_locator.h"
#include "platform/clock.h"
#include "service/endpoints.h"
#include "service/service_session.h"
#include "share/archive_check.h"

namespace dovel::download {

// The waits of a run. Tests shorten them; the program keeps these.
struct TransferTimings {
  int connect_ms = 5000;         // a data connection, a service connection
  int answer_ms = 5000;          // the server's word after the kind byte
  int reply_ms = 8000;           // the 5-byte reply to the request
  int info_block_ms = 8000;      // the information block after it
  int data_idle_ms = 120000;     // a connection that sends nothing for this long is given up
  int64_t checkpoint_ms = 30000; // progress, sources and pieces reach the database at most this often
  int64_t source_lookup_ms = 60000;  // the file index is asked for more sources at most this often per file
  int report_answer_ms = 10000;  // the download report's answer
};

// The steps that make a finished download the user's, in their order. A
// power cut after any of them leaves the file whole at the next start.
enum class CompletionStep {
  LastWrite,   // every byte is in the partial file; nothing flushed or moved yet
  Moved,       // the flushed file is in place and both folders are flushed
  RowDropped,  // the queue's rows of the item are gone, committed
};

// What a run tells the rest of the program. Each may be empty.
struct TransferHooks {
  // The main window's notifier: kind "Down_End", data "file", clickable.
  std::function<void(const std::string& text)> notify_finished;
  // A file that reached its target folder under its own name.
  std::function<void(const std::filesystem::path& path)> queue_subtitle_upload;
  // The point service refused for lack of points (the main window shows its message).
  std::function<void()> point_shortage;
  // A paid file waits for the user's confirmation on the download tab.
  std::function<void()> show_download_tab;
  // A data connection of the item started or ended (the list's child rows).
  std::function<void(DownloadItem& item)> connections_changed;
  // The charges of a finished run: free files per serving owner's key, paid
  // files per file and key; then the point display is refreshed.
  std::function<void(const std::string& key, int64_t megabytes)> add_upload_tally;
  std::function<void(const std::string& hash, const std::string& key, int64_t megabytes)> add_pair_tally;
  std::function<void()> refresh_points;
  // Chargeable megabytes still to fetch by the running folder downloads.
  std::function<int64_t()> chargeable_megabytes_elsewhere;
  // Each step of a completion as it is taken (a crash test stops the program there).
  std::function<void(CompletionStep step)> completion_step;
};

// Everything the runs of the downloads use. Every pointer outlives the runner
// and, for the connect worker's queue, the share server.
struct TransferContext {
  DownloadSettings* settings = nullptr;
  service::ServiceSession* session = nullptr;
  db::InfoDatabase* info = nullptr;
  core::TransferMeter* meter = nullptr;
  // The service's servers (file sources, address lookups, download reports)
  // and the address this client's connections leave from.
  service::ServiceEndpoints endpoints;
  // The share server's connect worker (LocalServer::connect_worker()); none: no download can start.
  core::MessageTarget* connect_worker = nullptr;
  share::ArchiveChecker* archive = nullptr;
  ContentFilter* filter = nullptr;
  PaidContent* paid = nullptr;
  FalseReports* false_reports = nullptr;  // none: no file is stopped for reports
  PeerLocator* locator = nullptr;         // none: a moved source is not looked up again
  const platform::Clock* clock = &platform::system_clock();
  TransferTimings timings;
  TransferHooks hooks;
};

// Milliseconds of the monotonic clock (the item's run_start_ms and sample_ms).
inline int64_t steady_ms(const platform::Clock& clock) { return static_cast<int64_t>(clock.performance_counter() / 1000000); }

}  // namespace dovel::download
