#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "search/peer_lists.h"
#include "search/relay_link.h"
#include "search/result_filter.h"
#include "search/result_queue.h"
#include "search/result_sort.h"
#include "search/result_tabs.h"
#include "search/search_observer.h"
#include "platform/stop_signal.h"
#include "service/endpoints.h"
#include "wire/query_datagram.h"

namespace dovel::search {

// This program's own share server as the search needs it.
struct OwnServer {
  // Reachable from outside (the start-up port check): results come to its
  // search port; otherwise through a relay.
  bool usable = false;
  platform::Ipv4 external_address = 0;
  uint32_t share_port = 0;
};

enum class SearchState { Idle, FetchingLists, Sending, SendingDone, Stopped };

// How far a search has come.
struct SearchProgress {
  uint32_t number = 0;
  SearchState state = SearchState::Idle;
  uint64_t sent = 0;    // query datagrams sent
  uint64_t listed = 0;  // entries of the three peer lists
  bool relayed = false; // the results come through a relay
};

// Everything decided before a search starts.
struct RunPlan {
  uint32_t number = 0;
  // A keyword query's text (CP949), or the hashes of a hash query.
  std::string query_text;
  std::vector<std::string> hashes;
  OwnServer own;
  std::string user_id;
  ResultRules rules;
  int send_delay_ms = 0;
  std::optional<SortColumn> auto_sort;
  size_t relay_index = 0;
};

// The long-lived parts a search works with; all outlive it.
struct RunParts {
  const service::ServiceEndpoints* endpoints = nullptr;
  const platform::Clock* clock = nullptr;
  PeerLists* peer_lists = nullptr;
  ResultTabs* tabs = nullptr;
  SearchObserver* observer = nullptr;  // never null
};

// One search from its start to its stop, with its threads: the run thread
// (peer lists, relay, then the senders), three sender threads, the relay's
// receiver when there is one, and the processing thread that turns queued
// datagrams into rows.
class SearchRun {
 public:
  SearchRun(RunPlan plan, RunParts parts);
  ~SearchRun();
  SearchRun(const SearchRun&) = delete;
  SearchRun& operator=(const SearchRun&) = delete;

  // Starts the search's threads; false when they could not be started (the
  // search then ends as if stopped).
  bool launch();
  // Sets the stop, wakes and joins every thread. The first stop (or the end of
  // a search that could not go on) tells the observer.
  void stop();

  // A result datagram that reached the own search port; dropped once stopped.
  void take_result(std::string datagram, platform::Tick arrival);

  uint32_t number() const { return plan_.number; }
  SearchProgress progress() const;

 private:
  void run();
  std::optional<std::string> prototype_query(const wire::QueryHeader& header) const;
  void send_list(const PeerList& list, std::string datagram);
  bool is_own_server(const service::ServerAddress& entry) const;
  void process();
  bool handle(const ArrivedResult& result);
  void finish_sending_when_drained();
  // The search cannot go on: it ends as if stopped.
  void give_up();
  void tell_stopped();

  const RunPlan plan_;
  const RunParts parts_;
  platform::StopSignal stop_;
  ResultQueue queue_;
  std::unique_ptr<RelayLink> relay_;

  std::atomic<SearchState> state_{SearchState::Idle};
  std::atomic<uint64_t> sent_{0};
  std::atomic<uint64_t> listed_{0};
  std::atomic<bool> relayed_{false};
  std::atomic<bool> sending_finished_{false};
  bool sorted_ = false;  // processing thread only
  std::atomic<bool> stop_told_{false};

  std::thread runner_;
  std::thread processor_;
  std::thread receiver_;              // started by the run thread
  std::vector<std::thread> senders_;  // started and joined by the run thread
};

}  // namespace dovel::search
