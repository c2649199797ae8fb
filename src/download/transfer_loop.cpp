#include "download/transfer_loop.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <mutex>

#include "base/text.h"
#include "core/message_ids.h"
#include "download/connect_worker.h"
#include "download/download_names.h"
#include "download/run_log.h"
#include "service/frame.h"
#include "share/file_hash.h"
#include "util/log_files.h"
#include "wire/data_request.h"
#include "wire/info_block.h"
#include "wire/peer_frame.h"

namespace dovel::download {
namespace {

// Receives of one connection taken in one turn of the poll (up to 512 KiB),
// written with one write, while no download limit is set. Under a limit each
// turn takes one receive, so that the pacing follows every 8 KiB written.
constexpr size_t kReceivesPerTurn = 64;

bool write_all_at(int file, const char* data, size_t count, int64_t offset) {
  while (count > 0) {
    ssize_t written = ::pwrite(file, data, count, offset);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    count -= static_cast<size_t>(written);
    offset += written;
  }
  return true;
}

// The poll never sleeps longer than this, so that the deadlines are looked at
// again on the run's clock even when that clock moves by other means than the
// passing of real time (a test's clock). With the system clock a wait only
// ends early and finds nothing due.
constexpr int kLongestPollWaitMs = 200;

}  // namespace

struct TransferLoop::Connection {
  ConnectionId id = kNoConnection;
  Source source;
  bool follow_up = false;
  platform::UniqueFd socket;
  Phase phase = Phase::Reply;
  std::string head;          // the reply and the information block as they arrive
  int64_t piece_start = 0;   // where its piece began
  int64_t received = 0;      // bytes of its piece received
  int status = 0;            // the server's refusal, or why it never connected
  std::optional<wire::InfoBlock> owner;
  int64_t deadline_ms = 0;   // on the run's clock (steady_ms)
};

TransferLoop::TransferLoop(const TransferContext& context, DownloadItem& item, std::shared_ptr<RunSignals> run_signals, LoopSetup setup)
    : context_(context),
      item_(item),
      signals_(std::move(run_signals)),
      setup_(std::move(setup)),
      ranges_(*setup_.ranges),
      buffer_(kReceiveSize * kReceivesPerTurn),
      checkpoints_(*context.clock, context.timings.checkpoint_ms) {
  {
    std::lock_guard guard(item_.lock);
    file_name_ = item_.file_name;
  }
  hash_ = item_.hash;
  for (const Source& source : setup_.sources) tracker_.push_back({source, false});
}

TransferLoop::~TransferLoop() = default;

LoopResult TransferLoop::run() {
  for (int first = 0; first < kMostActiveConnections; ++first) {
    std::optional<Source> source = next_unused_source();
    if (!source || !request_connection(*source, false)) break;
  }
  while (!item_.stop_requested && !ended_ && (!active_.empty() || !pending_.empty())) serve_once();
  stop_every_connection();
  if (!ended_) last_connection_ended();
  if (verdict_) return *verdict_;
  return ranges_.complete() ? LoopResult::Complete : LoopResult::Incomplete;
}

void TransferLoop::serve_once() {
  poll_set_.clear();
  poll_set_.push_back({signals_->event_fd(), POLLIN, 0});
  for (const auto& connection : active_) poll_set_.push_back({connection->socket.get(), POLLIN, 0});
  const int ready = ::poll(poll_set_.data(), poll_set_.size(), poll_timeout_ms());
  if (ready < 0 && errno != EINTR) {
    item_.status_code = kStatusDropped;
    item_.stop_requested = true;
    return;
  }
  std::vector<ConnectionId> readable;
  for (size_t i = 1; i < poll_set_.size(); ++i) {
    if (poll_set_[i].revents != 0) readable.push_back(active_[i - 1]->id);
  }
  if (poll_set_[0].revents != 0) {
    signals_->drain();
    take_ready_connections();
  }
  for (ConnectionId id : readable) serve(id);
  expire_deadlines();
  checkpoint_when_due();
}

int TransferLoop::poll_timeout_ms() const {
  if (active_.empty()) return -1;
  int64_t nearest = active_.front()->deadline_ms;
  for (const auto& connection : active_) nearest = std::min(nearest, connection->deadline_ms);
  return static_cast<int>(std::clamp<int64_t>(nearest - now_ms(), 0, kLongestPollWaitMs));
}

int64_t TransferLoop::now_ms() const { return steady_ms(*context_.clock); }

void TransferLoop::set_deadline(Connection& connection, int wait_ms) const { connection.deadline_ms = now_ms() + wait_ms; }

// ---- connections: request, hand-over, activation ----

std::optional<Source> TransferLoop::next_unused_source() {
  for (TrackedSource& tracked : tracker_) {
    if (tracked.used) continue;
    tracked.used = true;
    return tracked.source;
  }
  return std::nullopt;
}

bool TransferLoop::request_connection(const Source& source, bool follow_up) {
  if (item_.stop_requested) return false;
  if (static_cast<int>(active_.size() + pending_.size()) >= kMostConnectionRequests) return false;
  if (context_.connect_worker == nullptr) {
    util::LogSystem("Connect Thread 실패 - 다운로드가 취소되었습니다.");
    item_.set_state(ItemState::Stopped);
    item_.stop_requested = true;
    return false;
  }
  auto attempt = std::make_unique<ConnectAttempt>();
  attempt->id = next_id_++;
  attempt->source = source;
  pending_[attempt->id] = {source, follow_up};
  item_.pending_connections = static_cast<int>(pending_.size());

  auto request = std::make_unique<ConnectRequest>();
  request->run = signals_;
  request->attempt = std::move(attempt);
  request->environment = {context_.endpoints.bind_address, context_.timings.connect_ms, context_.timings.answer_ms, context_.locator,
                          context_.info};
  context_.connect_worker->post({core::TM_CONNECT_REQUEST, 0, 0, std::move(request)});
  return true;
}

void TransferLoop::take_ready_connections() {
  for (std::unique_ptr<ConnectAttempt>& attempt : signals_->take_ready()) {
    auto requested = pending_.find(attempt->id);
    if (requested == pending_.end()) continue;
    const Requested asked = requested->second;
    pending_.erase(requested);
    item_.pending_connections = static_cast<int>(pending_.size());
    if (!attempt->source.same_server(asked.source)) note_moved_source(asked.source, attempt->source);

    auto connection = std::make_unique<Connection>();
    connection->id = attempt->id;
    connection->source = attempt->source;
    connection->follow_up = asked.follow_up;
    connection->socket = std::move(attempt->socket);
    connection->status = attempt->status;
    if (!connection->socket.valid() || item_.stop_requested || static_cast<int>(active_.size()) >= setup_.max_active) {
      end_connection(std::move(connection), kStatusDropped);
      continue;
    }
    connection->status = 0;
    activate(std::move(connection));
  }
}

// A source reached at a new address (its user's server moved): the item keeps the new one.
void TransferLoop::note_moved_source(const Source& requested, const Source& reached) {
  std::lock_guard guard(item_.lock);
  for (Source& source : item_.sources) {
    if (source.same_server(requested)) source = reached;
  }
}

void TransferLoop::activate(std::unique_ptr<Connection> connection) {
  const ConnectionId id = connection->id;
  active_.push_back(std::move(connection));
  ReceivedRanges::Assignment assignment = ranges_.assign(id, static_cast<int>(active_.size()) - 1);
  if (!assignment.piece) {
    end_connection(take_active(id), kStatusNoPiece);
    return;
  }
  Connection& active = *active_.back();
  active.piece_start = assignment.piece->start;
  {
    std::lock_guard guard(item_.lock);
    item_.connections.push_back({id, active.source.address, active.source.port, assignment.piece->start, assignment.piece->end, 0});
    item_.sample_received = item_.received;
    item_.sample_ms = steady_ms(*context_.clock);
  }
  publish_connections();
  if (assignment.close_owner != kNoConnection) end_connection(take_active(assignment.close_owner), kStatusNoPiece);
  if (!send_request(active, *assignment.piece)) {
    const int code = active.status != 0 ? active.status : kStatusDropped;
    end_connection(take_active(id), code);
  }
}

bool TransferLoop::send_request(Connection& connection, const ByteRange& piece) {
  wire::DataRequest request = setup_.request;
  {
    std::lock_guard guard(item_.lock);
    request.share_index = item_.server_share_index;
    request.folder_path = item_.server_path;
  }
  request.start = piece.start;
  request.end = piece.end;
  request.follow_up = connection.follow_up;
  std::optional<std::string> text = wire::build_data_request(request);
  if (!text || text->empty() || text->size() > wire::kMaxDataRequestLength) {
    connection.status = kStatusFileInfoError;
    return false;
  }
  const std::string frame = wire::build_peer_frame(*text);
  if (platform::send_all(connection.socket.get(), frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) return false;
  connection.phase = Phase::Reply;
  set_deadline(connection, context_.timings.reply_ms);
  return true;
}

// ---- receiving ----

void TransferLoop::serve(ConnectionId id) {
  Connection* connection = find_active(id);
  if (connection == nullptr) return;
  if (connection->phase == Phase::Data) {
    receive_data(*connection);
  } else {
    read_head(*connection);
  }
}

void TransferLoop::read_head(Connection& connection) {
  const size_t wanted = connection.phase == Phase::Reply ? wire::kDataReplySize : wire::kDataReplySize + wire::kInfoBlockSize;
  const ssize_t got = ::recv(connection.socket.get(), buffer_.data(), wanted - connection.head.size(), MSG_DONTWAIT);
  if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
  if (got <= 0) {
    end_connection(take_active(connection.id), got == 0 ? kStatusPeerClosed : kStatusDropped);
    return;
  }
  connection.head.append(buffer_.data(), static_cast<size_t>(got));
  if (connection.head.size() < wanted) return;
  if (connection.phase == Phase::Reply) {
    on_reply(connection);
  } else {
    on_information_block(connection);
  }
}

void TransferLoop::on_reply(Connection& connection) {
  const std::optional<wire::DataReply> reply = wire::parse_data_reply(connection.head);
  if (reply->status != wire::kRequestAccepted) {
    connection.status = reply->status;
    end_connection(take_active(connection.id), reply->status);
    return;
  }
  {
    std::lock_guard guard(item_.lock);
    item_.listing_attributes = reply->share_flags;
  }
  if (!reply->requester_is_friend && !setup_.privileged && context_.filter != nullptr && context_.filter->forbidden_name(file_name_)) {
    end_connection(take_active(connection.id), kStatusForbidden);
    return;
  }
  connection.phase = Phase::InformationBlock;
  set_deadline(connection, context_.timings.info_block_ms);
}

void TransferLoop::on_information_block(Connection& connection) {
  connection.owner = wire::parse_info_block(std::string_view(connection.head).substr(wire::kDataReplySize));
  if (!connection.owner) {
    end_connection(take_active(connection.id), kStatusWrongVersion);
    return;
  }
  {
    std::lock_guard guard(item_.lock);
    item_.server_share_index = connection.owner->share_index;
    item_.server_path = connection.owner->folder_path;
    if (item_.peer_id.empty()) item_.peer_id = connection.owner->user_id;
  }
  connection.head = std::string();
  connection.phase = Phase::Data;
  set_deadline(connection, context_.timings.data_idle_ms);
}

void TransferLoop::receive_data(Connection& connection) {
  std::optional<ByteRange> piece = ranges_.piece_of(connection.id);
  if (!piece) {
    end_connection(take_active(connection.id), kPieceDone);
    return;
  }
  size_t buffered = 0;
  bool closed = false;
  bool failed = false;
  const size_t receives = download_limit() != 0 ? 1 : kReceivesPerTurn;
  for (size_t turn = 0; turn < receives; ++turn) {
    const size_t wanted = static_cast<size_t>(std::min<int64_t>(kReceiveSize, piece->length() - static_cast<int64_t>(buffered)));
    if (wanted == 0) break;
    const ssize_t got = ::recv(connection.socket.get(), buffer_.data() + buffered, wanted, MSG_DONTWAIT);
    if (got > 0) {
      buffered += static_cast<size_t>(got);
      if (static_cast<size_t>(got) < wanted) break;
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    closed = got == 0;
    failed = got < 0 && errno != EAGAIN && errno != EWOULDBLOCK;
    break;
  }
  if (buffered > 0) {
    if (!write_received(connection, buffered)) return;
    set_deadline(connection, context_.timings.data_idle_ms);
    if (ranges_.piece_of(connection.id).value_or(ByteRange{}).length() == 0) {
      end_connection(take_active(connection.id), kPieceDone);
      return;
    }
  }
  if (closed) {
    end_connection(take_active(connection.id), kStatusPeerClosed);
  } else if (failed) {
    end_connection(take_active(connection.id), kStatusDropped);
  } else if (buffered > 0) {
    throttle(buffered);
  }
}

bool TransferLoop::write_received(Connection& connection, size_t count) {
  const int64_t position = connection.piece_start + connection.received;
  if (!write_all_at(setup_.file, buffer_.data(), count, position)) {
    util::LogSystem("남은용량이 없거나 파일을 쓰는데 실패하였습니다.");
    end_connection(take_active(connection.id), kStatusWriteFailed);
    return false;
  }
  const int64_t left = ranges_.advance(connection.id, static_cast<int64_t>(count));
  if (std::none_of(serving_sources_.begin(), serving_sources_.end(), [&](const Source& s) { return s.same_server(connection.source); })) {
    serving_sources_.push_back(connection.source);
  }
  connection.received += static_cast<int64_t>(count);
  context_.meter->downloaded_bytes += count;
  std::lock_guard guard(item_.lock);
  item_.received += static_cast<int64_t>(count);
  for (ConnectionView& view : item_.connections) {
    if (view.id != connection.id) continue;
    view.piece_end = position + static_cast<int64_t>(count) + left;
    view.received_in_piece = connection.received;
  }
  return true;
}

uint64_t TransferLoop::download_limit() const {
  if (context_.settings == nullptr) return 0;
  const uint64_t limit = context_.settings->download_speed_limit();
  return limit >= core::kNoSpeedLimit ? 0 : limit;
}

// The bytes just written take their share of the download limit that all
// downloads have in common; the wait is slept outside every lock, and a stop
// or a ready connection cuts it short.
void TransferLoop::throttle(size_t written) {
  const uint64_t limit = download_limit();
  if (limit == 0) return;
  const uint64_t wait_ns = context_.meter->download_pacer.wait_after(written, limit, context_.clock->performance_counter());
  const auto wait_ms = static_cast<int>(std::min<uint64_t>(wait_ns / 1'000'000, std::numeric_limits<int>::max()));
  if (wait_ms < kLeastThrottleMs) return;
  pollfd wake{signals_->event_fd(), POLLIN, 0};
  ::poll(&wake, 1, wait_ms);
}

void TransferLoop::expire_deadlines() {
  const int64_t now = now_ms();
  std::vector<ConnectionId> expired;
  for (const auto& connection : active_) {
    if (connection->deadline_ms <= now) expired.push_back(connection->id);
  }
  for (ConnectionId id : expired) end_connection(take_active(id), kStatusDropped);
}

void TransferLoop::checkpoint_when_due() {
  if (!checkpoints_.due() || context_.info == nullptr) return;
  checkpoint(*context_.info, item_, setup_.file, ranges_.missing());
  checkpoints_.passed();
}

// ---- the end of a connection ----

TransferLoop::Connection* TransferLoop::find_active(ConnectionId id) {
  for (const auto& connection : active_) {
    if (connection->id == id) return connection.get();
  }
  return nullptr;
}

std::unique_ptr<TransferLoop::Connection> TransferLoop::take_active(ConnectionId id) {
  for (auto it = active_.begin(); it != active_.end(); ++it) {
    if ((*it)->id != id) continue;
    std::unique_ptr<Connection> taken = std::move(*it);
    active_.erase(it);
    return taken;
  }
  return nullptr;
}

void TransferLoop::end_connection(std::unique_ptr<Connection> connection, int code, bool may_continue) {
  if (!connection) return;
  connection->socket.reset();
  ranges_.release(connection->id);
  {
    std::lock_guard guard(item_.lock);
    std::erase_if(item_.connections, [&](const ConnectionView& view) { return view.id == connection->id; });
  }
  publish_connections();
  item_.status_code = connection->status != 0 ? connection->status : code;
  charge(*connection, code);
  const bool continued = may_continue && continue_after(*connection, code);
  if (active_.empty() && pending_.empty() && !continued && !ended_) last_connection_ended();
}

// The first 10 MiB of a file are free; what a connection fetched beyond them
// is owed to the owner who served it.
void TransferLoop::charge(const Connection& connection, int code) {
  if (code == kStatusPeerClosed || code == kStatusPeerError || code == kStatusForbidden) return;
  if (!connection.owner || connection.owner->auth_token_b.empty()) return;
  const int64_t megabytes = charged_megabytes(connection.piece_start, connection.piece_start + connection.received, ranges_.received());
  if (megabytes > 0 && connection.source.address != setup_.own_address) {
    charges_.megabytes_by_token[connection.owner->auth_token_b] += megabytes;
  }
  charges_.owners[connection.owner->user_id] = connection.owner->auth_token_a;
}

// A finished piece is followed by the next one from the same server; a
// connection that broke is replaced by one to a source not used yet while a
// large piece is left.
bool TransferLoop::continue_after(const Connection& connection, int code) {
  if (code == kPieceDone) return !ranges_.complete() && request_connection(connection.source, true);
  if (code != kStatusPeerClosed && code != kStatusPeerError && code != kStatusDropped) return false;
  if (item_.current_state() != ItemState::Transferring || ranges_.largest_piece() <= kMiB) return false;
  if (static_cast<int>(active_.size()) >= setup_.max_active) return false;
  std::optional<Source> next = next_unused_source();
  return next && request_connection(*next, false);
}

void TransferLoop::stop_every_connection() {
  pending_.clear();
  item_.pending_connections = 0;
  while (!active_.empty()) {
    const ConnectionId id = active_.front()->id;
    end_connection(take_active(id), kStatusDropped, false);
  }
}

void TransferLoop::last_connection_ended() {
  ended_ = true;
  if (!setup_.privileged && context_.archive != nullptr) {
    share::ArchiveVerdict verdict;
    {
      std::lock_guard guard(share::archive_filter_lock());
      verdict = context_.archive->check_archive(setup_.file_path, true);
    }
    if (verdict == share::ArchiveVerdict::Forbidden) {
      verdict_ = LoopResult::ForbiddenArchive;
      item_.status_code = kStatusForbiddenArchive;
      item_.stop_requested = true;
      util::LogSystem("'%s'파일은 전송금지확장자가 포함되어 있는 압축파일입니다. 다운로드를 중지합니다.", printable_name(file_name_).c_str());
      return;
    }
  }
  if (ranges_.complete() && !content_matches_hash()) {
    // Beyond what was asked for: sources that sent other bytes of the same
    // length would otherwise be mixed into one file silently.
    verdict_ = LoopResult::WrongContent;
    item_.status_code = kStatusFileInfoError;
    util::LogSystem("'%s' 파일의 내용이 FileHash와 다릅니다. 다운로드를 중지합니다.", printable_name(file_name_).c_str());
  } else {
    hand_over_charges();
  }
  int64_t run_bytes = 0;
  int64_t started = 0;
  {
    std::lock_guard guard(item_.lock);
    run_bytes = item_.received - item_.received_at_start;
    started = item_.run_start_ms;
  }
  log_download_run(run_bytes, steady_ms(*context_.clock) - started, file_name_);
}

bool TransferLoop::content_matches_hash() {
  share::FileSampleSource source(setup_.file);
  std::optional<share::FileHash> hash = share::sampled_md5(source);
  return hash && base::iequals_ascii(*hash, hash_);
}

void TransferLoop::hand_over_charges() {
  const TransferHooks& hooks = context_.hooks;
  for (const auto& [key, megabytes] : charges_.megabytes_by_token) {
    if (setup_.paid) {
      if (hooks.add_pair_tally) hooks.add_pair_tally(hash_, key, megabytes);
    } else if (hooks.add_upload_tally) {
      hooks.add_upload_tally(key, megabytes);
    }
  }
  charges_.megabytes_by_token.clear();
  if (hooks.refresh_points) hooks.refresh_points();
}

void TransferLoop::publish_connections() {
  item_.active_connections = static_cast<int>(active_.size());
  if (context_.hooks.connections_changed) context_.hooks.connections_changed(item_);
}

}  // namespace dovel::download
