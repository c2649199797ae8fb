#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "search/peer_lists.h"
#include "search/result_tabs.h"
#include "search/search_content_lists.h"
#include "search/search_input.h"
#include "search/search_observer.h"
#include "search/search_run.h"
#include "search/search_settings.h"
#include "service/endpoints.h"
#include "service/service_session.h"
#include "wire/search_result_sink.h"

namespace dovel::search {

// What the search needs from the rest of the program. Every pointer outlives
// the client; the functions are called when a search starts, on the caller's thread.
struct SearchContext {
  // The search servers (the registration endpoints), the relays and the bind address.
  service::ServiceEndpoints endpoints;
  const service::ServiceSession* session = nullptr;
  const SearchContentLists* lists = nullptr;  // null: nothing is listed
  const platform::Clock* clock = &platform::system_clock();
  std::function<OwnServer()> own_server;
  std::function<SearchSettings()> settings;
  // The C library's rand in the program (relay choice, start of each peer list); fixed in tests.
  std::function<uint32_t()> random;
  SearchObserver* observer = nullptr;  // null: nobody listens
};

struct StartOutcome {
  std::optional<uint32_t> number;  // the search number when it started
  std::string refusal;             // why not, for the user (also given to the observer)
  bool needs_login = false;        // nobody or the guest is logged in: log in first
};

// The search window's work without its window: checks and starts searches, one
// at a time, and keeps the result tabs of the latest ones. It takes the result
// datagrams that the own search responder receives (set it as the responder's
// result sink). Thread-safe; start and stop block until the previous search's
// threads have ended.
class SearchClient final : public wire::SearchResultSink {
 public:
  explicit SearchClient(SearchContext context);
  ~SearchClient() override;
  SearchClient(const SearchClient&) = delete;
  SearchClient& operator=(const SearchClient&) = delete;

  // Checks the request and starts a search in place of a running one.
  StartOutcome start(const SearchRequest& request);
  // Stops the running search (its results stay).
  void stop();
  // A search is fetching lists, sending or receiving.
  bool running() const;
  SearchProgress progress() const;

  // The rows of the search `number`, by default of the latest; nullopt when
  // that tab is not kept (any more).
  std::optional<ResultSnapshot> results(std::optional<uint32_t> number = std::nullopt) const;
  // A click on a column header of the latest tab; the order it is now in.
  std::optional<SortOrder> sort_latest(SortColumn column);
  // Deletes every row of the latest tab.
  void clear_latest();

  // From the search responder's worker threads.
  void search_result_received(std::string datagram, service::Endpoint source) override;

 private:
  uint32_t next_number();
  SearchRun* current_run() const;

  SearchContext context_;
  PassingSearchContentLists passing_lists_;
  SearchObserver quiet_;
  SearchObserver& observer_;
  PeerLists peer_lists_;
  ResultTabs tabs_;

  std::mutex control_lock_;       // start and stop, one at a time
  mutable std::mutex run_lock_;   // the current run, for the result sink and readers
  std::unique_ptr<SearchRun> run_;
  std::optional<uint32_t> last_number_;
};

}  // namespace dovel::search
