#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "db/sqlite3_connection.h"
#include "platform/socket.h"
#include "server/local_server.h"
#include "server/search_addresses.h"
#include "server/search_limits.h"
#include "server/search_notice_limit.h"
#include "server/search_query.h"
#include "server/search_rate_limit.h"
#include "server/search_reply_budget.h"
#include "server/search_terms.h"
#include "server/share_server_context.h"
#include "service/endpoints.h"
#include "wire/search_result_sink.h"

namespace dovel::server {

// Re-reads the friend or the block list from the service when it asks for it.
class ListSyncHandler {
 public:
  virtual ~ListSyncHandler() = default;
  // nullopt when done, otherwise the error text. Called on a worker thread.
  virtual std::optional<std::string> refresh_friends() = 0;
  virtual std::optional<std::string> refresh_blocks() = 0;
};

// For a program that does not keep the lists in step with the service: every
// request to re-read one is answered as failed.
class NoListSync final : public ListSyncHandler {
 public:
  std::optional<std::string> refresh_friends() override { return kUnavailable; }
  std::optional<std::string> refresh_blocks() override { return kUnavailable; }

 private:
  static constexpr const char* kUnavailable = "목록을 받아올 수 없습니다.";
};

// The UDP side of the share server: answers keyword and hash queries from the
// shared-files table, hands incoming results to the search window and passes
// the service's list notifications on. Two workers share one socket, each with
// its own database connection. What it answers is bounded by SearchRateLimits.
class SearchResponder final : public SearchResponderControl {
 public:
  static constexpr int kWorkers = 2;

  SearchResponder(const ShareServerContext& context, service::ServiceEndpoints endpoints, wire::SearchResultSink& results, ListSyncHandler& lists,
                  SearchRateLimits limits = {});
  ~SearchResponder() override;
  SearchResponder(const SearchResponder&) = delete;
  SearchResponder& operator=(const SearchResponder&) = delete;

  // Binds the bind address and `port` (0 picks a free one) and starts the
  // workers; true at once when already running. On failure the last-error text
  // says why and nothing stays started.
  bool start_search_responder(uint16_t port) override;
  // Wakes and joins both workers, then closes the socket.
  void stop_search_responder() override;
  int last_system_error() const override { return last_error_; }

  // The bound port while running, else 0.
  uint16_t port() const { return port_; }

 private:
  // What each worker keeps between queries.
  struct WorkerDatabase {
    db::Sqlite3Connection connection;
    SearchTermPlanner planner;
  };

  void stop_locked();
  void serve(int fd);
  bool take_in_names(WorkerDatabase& database) const;
  void handle(int fd, std::string_view datagram, service::Endpoint source, WorkerDatabase& database);
  void handle_result(std::string_view datagram, service::Endpoint source);
  void handle_list_change(uint8_t type, platform::Ipv4 source);
  void handle_query(int fd, std::string_view datagram, service::Endpoint source, WorkerDatabase& database);
  std::optional<std::vector<std::string>> answer(wire::SearchQuery& query, WorkerDatabase& database);
  void send_results(int fd, const wire::SearchQuery& query, const std::vector<std::string>& payloads, service::Endpoint destination,
                    platform::Tick taken);
  bool queries_paused() const;
  std::unique_lock<std::recursive_mutex> lock_database() const;

  const ShareServerContext& context_;
  const service::ServiceEndpoints endpoints_;
  wire::SearchResultSink& results_;
  ListSyncHandler& lists_;
  const size_t first_contact_datagrams_;
  SearchRateLimit rate_limit_;
  SearchReplyBudget reply_budget_;
  SearchNoticeLimit notice_limit_;

  std::mutex control_lock_;  // start and stop
  platform::UniqueFd socket_;
  std::vector<std::thread> workers_;
  std::atomic<bool> stopping_{false};
  std::atomic<uint16_t> port_{0};
  std::atomic<int> last_error_{0};
};

}  // namespace dovel::server
