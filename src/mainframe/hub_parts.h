#pragma once

#include <cstdint>
#include <string>

#include "core/message.h"
#include "util/launch_request.h"

namespace dovel::mainframe {

// The parts of the program the hub drives that live in their own subsystems:
// the download manager, the search window, the remote view and the point
// thread. A part that is not there (null) is left out of what the hub does.

class DownloadsControl {
 public:
  virtual ~DownloadsControl() = default;
  virtual int running_downloads() const = 0;
  // Stops every active or waiting download for the exit. False when none ran;
  // otherwise UM_DOWNLOADS_STOPPED reaches the hub when the last one ended.
  virtual bool stop_all_for_exit() = 0;
  virtual void retry_stopped_downloads() = 0;
  virtual void refresh() = 0;
  // Queues the file a request names, from the source it names (or none).
  virtual void queue_file(const util::CLaunchRequest& request) = 0;
  virtual void queue_by_hash(const util::CLaunchRequest& request) = 0;
};

class SearchControl {
 public:
  virtual ~SearchControl() = default;
  virtual bool running() const = 0;
  // Stops the running search; UM_SEARCH_STOPPED reaches the hub when it has.
  virtual void stop() = 0;
  virtual void search_words(const std::string& words) = 0;
  virtual void search_text(const util::CLaunchRequest& request) = 0;
  virtual void search_hashes(const util::CLaunchRequest& request) = 0;
  // A search that waited for the login starts now.
  virtual void login_done() = 0;
};

class RemoteView {
 public:
  virtual ~RemoteView() = default;
  // Browses the server a request names: by user ID when given, else by address and port.
  virtual void open_server(const util::CLaunchRequest& request) = 0;
  virtual void close_session() = 0;
  // The hub's status timer: a session without a user action for 5 minutes ends.
  virtual void check_idle() = 0;
};

class PointService {
 public:
  virtual ~PointService() = default;
  // The point thread, from login to shutdown; false when it cannot be started.
  virtual bool start() = 0;
  virtual void send_pending_records() = 0;
  virtual void query_balance() = 0;
  // Flushes the pending point records of `user_id` to the point service.
  virtual void flush(const std::string& user_id) = 0;
  virtual void stop() = 0;
  virtual bool running() const = 0;
};

// The balance the point thread reports with UM_POINT_BALANCE.
struct PointBalancePayload : core::MessagePayload {
  int64_t points = 0;
  int64_t currency = 0;
  int64_t income_today = 0;
  int64_t spent_today = 0;
  int64_t giftable_today = 0;
};

struct HubParts {
  DownloadsControl* downloads = nullptr;
  SearchControl* search = nullptr;
  RemoteView* remote = nullptr;
  PointService* points = nullptr;
};

}  // namespace dovel::mainframe
