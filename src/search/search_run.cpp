#include "search/search_run.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <system_error>

#include "wire/result_reader.h"

namespace dovel::search {

SearchRun::SearchRun(RunPlan plan, RunParts parts) : plan_(std::move(plan)), parts_(parts) {}

SearchRun::~SearchRun() { stop(); }

bool SearchRun::launch() {
  state_ = SearchState::FetchingLists;
  try {
    processor_ = std::thread([this] { process(); });
    runner_ = std::thread([this] { run(); });
  } catch (const std::system_error&) {
    give_up();
    return false;
  }
  return true;
}

void SearchRun::stop() {
  stop_.stop();
  queue_.close();
  if (runner_.joinable()) runner_.join();
  if (receiver_.joinable()) receiver_.join();
  if (processor_.joinable()) processor_.join();
  relay_.reset();
  if (state_ == SearchState::Idle) return;
  state_ = SearchState::Stopped;
  tell_stopped();
}

void SearchRun::take_result(std::string datagram, platform::Tick arrival) {
  if (!stop_.stopped()) queue_.push({std::move(datagram), arrival});
}

SearchProgress SearchRun::progress() const { return {plan_.number, state_, sent_, listed_, relayed_}; }

void SearchRun::run() {
  const PeerListSet lists =
      parts_.peer_lists->current([this](size_t server) { return fetch_peer_list(*parts_.endpoints, server, stop_); }, stop_);
  if (stop_.stopped()) return;
  uint64_t listed = 0;
  for (const PeerList& list : lists) listed += list.size();
  listed_ = listed;
  if (listed == 0) return give_up();

  wire::QueryHeader header;
  header.search_number = plan_.number;
  header.user_id = plan_.user_id;
  header.adult = plan_.rules.adult;
  if (plan_.own.usable) {
    header.searcher_key = wire::server_searcher_key(plan_.own.external_address, plan_.own.share_port);
    header.searcher_usable = true;
    header.reply = {plan_.own.external_address, static_cast<uint16_t>(plan_.own.share_port)};
  } else {
    relay_ = RelayLink::open(*parts_.endpoints, plan_.relay_index, plan_.own.external_address, plan_.own.share_port, stop_);
    if (!relay_) return give_up();
    relayed_ = true;
    header.searcher_key = wire::relay_searcher_key(relay_->ticket());
    header.reply = relay_->relay();
  }
  const std::optional<std::string> datagram = prototype_query(header);
  if (!datagram) return give_up();

  try {
    if (relay_) {
      receiver_ = std::thread([this] { relay_->receive([this](std::string result) { take_result(std::move(result), parts_.clock->tick()); }); });
    }
    state_ = SearchState::Sending;
    for (const PeerList& list : lists) senders_.emplace_back([this, &list, &datagram] { send_list(list, *datagram); });
  } catch (const std::system_error&) {
    give_up();
  }
  for (std::thread& sender : senders_) sender.join();
  if (stop_.stopped()) return;
  sending_finished_ = true;
  queue_.wake();
}

std::optional<std::string> SearchRun::prototype_query(const wire::QueryHeader& header) const {
  if (!plan_.hashes.empty()) return wire::build_hash_query(header, plan_.hashes);
  return wire::build_keyword_query(header, plan_.query_text);
}

bool SearchRun::is_own_server(const service::ServerAddress& entry) const {
  return entry.address == plan_.own.external_address && entry.port == plan_.own.share_port;
}

// Each sender has its own socket and copy of the query, whose time field it
// sets for every datagram.
void SearchRun::send_list(const PeerList& list, std::string datagram) {
  platform::UniqueFd socket(platform::make_udp_socket_bound(parts_.endpoints->bind_address, 0));
  if (!socket.valid()) return;
  for (const service::ServerAddress& entry : list) {
    if (stop_.stopped()) return;
    if (is_own_server(entry) || entry.address == 0 || entry.port == 0) continue;
    wire::set_query_time(datagram, parts_.clock->tick());
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = entry.address;
    target.sin_port = htons(entry.port);
    // A datagram that cannot be sent is lost like one the network drops.
    if (::sendto(socket.get(), datagram.data(), datagram.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&target), sizeof target) ==
        static_cast<ssize_t>(datagram.size())) {
      ++sent_;
    }
    if (plan_.send_delay_ms > 0) stop_.pause_ms(plan_.send_delay_ms);
  }
}

void SearchRun::process() {
  while (!stop_.stopped()) {
    const std::vector<ArrivedResult> batch = queue_.take();
    if (stop_.stopped()) return;
    bool changed = false;
    for (const ArrivedResult& result : batch) changed = handle(result) || changed;
    if (changed) parts_.observer->results_changed(plan_.number);
    finish_sending_when_drained();
  }
}

// A malformed datagram or record costs only itself; the search goes on.
bool SearchRun::handle(const ArrivedResult& result) {
  const std::optional<wire::ResultHeader> header = wire::read_result_header(result.datagram);
  if (!header || header->search_number != plan_.number) return false;
  const std::optional<wire::ResultPayload> payload = wire::read_result_payload(result.datagram);
  if (!payload || payload->records.empty()) return false;
  std::vector<ShownRecord> shown;
  for (const wire::ResultRecord& record : payload->records) {
    if (std::optional<std::string> name = shown_name(record, plan_.rules)) shown.push_back({record, std::move(*name)});
  }
  if (shown.empty()) return false;
  const FoundAt at{payload->responder_id,
                   {header->responder_address, static_cast<uint16_t>(header->responder_port)},
                   platform::ticks_between(header->time_field, result.arrival)};
  return parts_.tabs->insert(plan_.number, shown, at);
}

void SearchRun::finish_sending_when_drained() {
  if (sorted_ || !sending_finished_ || !queue_.empty()) return;
  sorted_ = true;
  if (plan_.auto_sort) parts_.tabs->sort(plan_.number, {*plan_.auto_sort, false});
  SearchState sending = SearchState::Sending;
  state_.compare_exchange_strong(sending, SearchState::SendingDone);
  parts_.observer->sending_done(plan_.number);
}

void SearchRun::give_up() {
  // The stop comes before the queue closes, so that the processing thread,
  // woken by the close, finds it and ends.
  stop_.stop();
  queue_.close();
  state_ = SearchState::Stopped;
  tell_stopped();
}

void SearchRun::tell_stopped() {
  if (!stop_told_.exchange(true)) parts_.observer->search_stopped(plan_.number);
}

}  // namespace dovel::search
