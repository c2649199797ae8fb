#include "server/search_responder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <system_error>

#include "db/database_lock.h"
#include "db/name_index.h"
#include "server/search_answer.h"
#include "util/last_error.h"
#include "util/log_files.h"
#include "wire/result_datagram.h"
#include "wire/search_datagram.h"
#include "wire/wire_text.h"

namespace dovel::server {
namespace {

// How long a worker waits for a datagram before it looks at the stop flag again
// (the stop also wakes it at once by shutting the socket down).
constexpr int kReceiveWaitMs = 500;
// While new names wait for the name index, an idle worker takes in a batch this
// often.
constexpr int kTakeInPauseMs = 10;
constexpr int64_t kNamesTakenInWhenIdle = 20000;
constexpr int kReceiveBufferBytes = 256 * 1024;

sockaddr_in socket_address(service::Endpoint endpoint) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = endpoint.address;
  address.sin_port = htons(endpoint.port);
  return address;
}

// Without SO_REUSEADDR: for UDP that option would let a second copy bind the
// same port without an error and take part of this one's datagrams.
int bind_udp(platform::Ipv4 address, uint16_t port, int& error) {
  platform::UniqueFd fd(platform::create_udp_socket());
  const sockaddr_in local = socket_address({address, port});
  if (!fd.valid() || ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    error = errno;
    return -1;
  }
  int size = kReceiveBufferBytes;
  ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  return fd.release();
}

}  // namespace

SearchResponder::SearchResponder(const ShareServerContext& context, service::ServiceEndpoints endpoints, wire::SearchResultSink& results,
                                 ListSyncHandler& lists, SearchRateLimits limits)
    : context_(context),
      endpoints_(std::move(endpoints)),
      results_(results),
      lists_(lists),
      first_contact_datagrams_(limits.first_contact_datagrams),
      rate_limit_(*context.clock, limits),
      reply_budget_(*context.clock, limits),
      notice_limit_(*context.clock, limits) {}

SearchResponder::~SearchResponder() { stop_search_responder(); }

bool SearchResponder::start_search_responder(uint16_t port) {
  std::lock_guard guard(control_lock_);
  if (socket_.valid()) return true;
  int error = 0;
  socket_.reset(bind_udp(context_.bind_address, port, error));
  if (!socket_.valid()) {
    last_error_ = error;
    util::SetLastErrorText("UDP %d port bind Error: %d", port, error);
    return false;
  }
  port_ = platform::local_port(socket_.get());
  stopping_ = false;
  for (int index = 0; index < kWorkers; ++index) {
    try {
      workers_.emplace_back([this, fd = socket_.get()] { serve(fd); });
    } catch (const std::system_error& failure) {
      last_error_ = failure.code().value();
      util::SetLastErrorText("UDPServer CreateThread failed.. %d", index);
      stop_locked();
      return false;
    }
  }
  return true;
}

void SearchResponder::stop_search_responder() {
  std::lock_guard guard(control_lock_);
  stop_locked();
}

void SearchResponder::stop_locked() {
  if (!socket_.valid()) return;
  stopping_ = true;
  platform::shutdown_socket(socket_.get());
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
  socket_.reset();
  port_ = 0;
}

void SearchResponder::serve(int fd) {
  WorkerDatabase database;
  std::string buffer(wire::kMaxReceivedDatagram, '\0');
  bool behind = true;
  while (!stopping_) {
    const platform::WaitResult ready = platform::wait_readable(fd, behind ? kTakeInPauseMs : kReceiveWaitMs);
    if (ready == platform::WaitResult::Timeout) behind = !take_in_names(database);
    if (ready != platform::WaitResult::Ready) continue;
    sockaddr_in from{};
    socklen_t from_size = sizeof from;
    // Both workers wake for one datagram; the one that does not get it finds nothing.
    const ssize_t received = ::recvfrom(fd, buffer.data(), buffer.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &from_size);
    if (stopping_) break;
    if (received < 0 || from.sin_family != AF_INET) continue;
    try {
      handle(fd, std::string_view(buffer.data(), static_cast<size_t>(received)), {from.sin_addr.s_addr, ntohs(from.sin_port)}, database);
    } catch (const std::exception&) {
      // One datagram that could not be handled costs that datagram only.
    }
  }
  // Closing needs no database lock: waiting for it here would hold the stop up
  // behind a whole hashing run, and the engine's own file locks keep the close safe.
  database.connection.Close();
}

// Idle time goes to the names the name index has not taken in yet (a hashing
// run can add many at once). Never waits for the database lock. True when no
// name is left or nothing can be done now.
bool SearchResponder::take_in_names(WorkerDatabase& database) const {
  if (queries_paused()) return true;
  std::unique_lock lock(db::database_lock(), std::try_to_lock);
  if (!lock.owns_lock()) return false;
  try {
    if (!database.connection.IsOpen()) database.connection.Open(context_.database_file);
    return db::CatchUpNameIndex(database.connection, kNamesTakenInWhenIdle);
  } catch (const db::CppSQLite3Exception&) {
    return true;
  }
}

void SearchResponder::handle(int fd, std::string_view datagram, service::Endpoint source, WorkerDatabase& database) {
  const std::optional<uint8_t> type = wire::search_datagram_type(datagram);
  if (!type) return;
  switch (*type) {
    case wire::kResultDatagram:
      handle_result(datagram, source);
      break;
    case wire::kFriendListChanged:
    case wire::kBlockListChanged:
      handle_list_change(*type, source.address);
      break;
    default:
      handle_query(fd, datagram, source, database);
      break;
  }
}

void SearchResponder::handle_result(std::string_view datagram, service::Endpoint source) {
  if (static_cast<uint8_t>(datagram[wire::kResultDestination]) != wire::kSearchWindowDestination) return;
  std::string result(datagram);
  // The responder wrote the address it knows itself by; the one the network shows is better.
  if (!is_private_address(source.address)) std::memcpy(result.data() + wire::kResultResponderAddress, &source.address, sizeof source.address);
  results_.search_result_received(std::move(result), source);
}

void SearchResponder::handle_list_change(uint8_t type, platform::Ipv4 source) {
  if (!is_service_host(endpoints_, source) || !notice_limit_.allow()) return;
  if (type == wire::kFriendListChanged) {
    if (std::optional<std::string> error = lists_.refresh_friends()) {
      util::LogSystem("친구목록 동기화 에러: %s", error->c_str());
    } else {
      util::LogSystem("친구목록을 동기화시켰습니다.");
    }
    return;
  }
  if (std::optional<std::string> error = lists_.refresh_blocks()) {
    util::LogSystem("차단목록 동기화 에러: %s", error->c_str());
  } else {
    util::LogSystem("차단목록을 동기화시켰습니다.");
  }
}

bool SearchResponder::queries_paused() const {
  return (context_.hashing != nullptr && context_.hashing->active()) || (context_.meter != nullptr && context_.meter->power_off_after_transfers);
}

// A hashing run holds the database lock for its whole walk, and a query would be
// ignored during the run anyway: rather than wait for it, give up once a run is
// active or the responder stops.
std::unique_lock<std::recursive_mutex> SearchResponder::lock_database() const {
  return db::lock_database_unless([this] { return stopping_ || queries_paused(); });
}

void SearchResponder::handle_query(int fd, std::string_view datagram, service::Endpoint source, WorkerDatabase& database) {
  if (queries_paused()) return;
  std::optional<wire::SearchQuery> query = wire::parse_search_query(datagram);
  if (!query) return;
  const std::optional<service::Endpoint> destination = reply_destination(endpoints_, source.address, {query->reply_address, query->reply_port});
  if (!destination) return;
  const QueryAdmission admission = rate_limit_.admit(source.address);
  // With nothing left to send, the table is not even read.
  if (admission == QueryAdmission::Refused || !reply_budget_.has_room(destination->address)) return;
  const platform::Tick taken = context_.clock->tick();
  if (query->searcher_usable && !is_private_address(source.address)) {
    std::memcpy(query->searcher_key.data(), &source.address, sizeof source.address);
  }
  std::optional<std::vector<std::string>> payloads = answer(*query, database);
  if (!payloads) return;
  // A source may be forged: until it asks again, and so shows that it is there,
  // it gets only the first datagrams of the answer, as many as the limits say.
  if (admission == QueryAdmission::FirstContact && payloads->size() > first_contact_datagrams_) payloads->resize(first_contact_datagrams_);
  send_results(fd, *query, *payloads, *destination, taken);
}

std::optional<std::vector<std::string>> SearchResponder::answer(wire::SearchQuery& query, WorkerDatabase& database) {
  const std::optional<std::string> responder_id =
      wire::field(context_.session != nullptr ? context_.session->identity().user_id : std::string(), "*");
  if (!responder_id) return std::nullopt;
  // Adult rows are answered to everyone and hidden by the searcher's own program
  // from users without adult status; everything else follows the share rule.
  const ShareVisitor searcher = visitor_of(context_, query.searcher_id, true, std::nullopt);
  const std::vector<settings::ShareIndex> shares = searchable_shares(context_.settings->shared_folders(), searcher);

  std::unique_lock lock = lock_database();
  if (!lock.owns_lock()) return std::nullopt;
  try {
    if (!database.connection.IsOpen()) database.connection.Open(context_.database_file);
    return answer_search(database.connection, database.planner, query, shares, *responder_id);
  } catch (const db::CppSQLite3Exception&) {
    return std::nullopt;
  }
}

void SearchResponder::send_results(int fd, const wire::SearchQuery& query, const std::vector<std::string>& payloads, service::Endpoint destination,
                                   platform::Tick taken) {
  wire::ResultHeader header{context_.settings->external_address(), port_, query.searcher_key, query.search_number, 0, query.destination};
  const sockaddr_in target = socket_address(destination);
  for (const std::string& payload : payloads) {
    header.time_field = query.time_field + platform::ticks_between(taken, context_.clock->tick());
    const std::string datagram = wire::build_result_datagram(header, payload);
    // The rest of an answer the budget cannot carry is dropped, not kept for later.
    if (!reply_budget_.spend(destination.address, datagram.size())) return;
    // Sent from the search socket itself, so that the answer comes from the bind
    // address; a failed send loses that datagram only.
    ::sendto(fd, datagram.data(), datagram.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&target), sizeof target);
  }
}

}  // namespace dovel::server
