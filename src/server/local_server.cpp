#include "server/local_server.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>
#include <vector>

#include "platform/deadline.h"
#include "server/control_session.h"
#include "server/server_status.h"
#include "server/side_channel.h"
#include "server/upload_monitor.h"
#include "util/last_error.h"
#include "util/little_endian.h"
#include "util/log_files.h"

namespace dovel::server {
namespace {

// Raw answers go to a socket that has sent one byte; they fit its buffer at once.
constexpr int kAnswerTimeoutMs = 1000;
// Broadcasts and keep-alives give a busy peer this long before moving on.
constexpr int kBroadcastTimeoutMs = 1000;
// The timer thread reads the clock again at least this often.
constexpr int kLongestTimerWaitMs = 200;

// What is left of a period that began at `from`, at `now`; 0 once it is over.
int milliseconds_left(platform::Tick from, platform::Tick now, int period_ms) {
  const platform::Tick passed = platform::ticks_between(from, now);
  return passed >= static_cast<platform::Tick>(period_ms) ? 0 : period_ms - static_cast<int>(passed);
}

std::string value16(uint16_t value) {
  std::string bytes;
  util::append_u16(bytes, value);
  return bytes;
}

// A keep-alive on every socket of one kind; a socket that cannot take it now is passed over.
void keep_alive_all(const SocketList& list, int timeout_ms) {
  for (const auto& socket : list.sockets()) socket->send_keep_alive(timeout_ms);
}

}  // namespace

struct LocalServer::Pending {
  platform::UniqueFd fd;
  platform::Ipv4 remote = 0;
  platform::Deadline deadline;
};

struct LocalServer::Refused {
  std::shared_ptr<wire::PeerSocket> socket;
  platform::Deadline deadline;
};

LocalServer::LocalServer(ShareServerContext& context, DataConnectionRunner run_data_connection, PendingLimits pending_limits)
    : context_(context), run_data_connection_(std::move(run_data_connection)), pending_limits_(pending_limits) {
  connect_worker_ = std::make_unique<core::WorkerThread>([this](core::Message& message) {
    core::WorkerThread::Handler handler;
    {
      std::lock_guard guard(connect_lock_);
      handler = connect_handler_;
    }
    if (handler) handler(message);
  });
}

LocalServer::~LocalServer() {
  stop_search_responder();
  stop_share_server(false);
  connect_worker_->stop();
}

void LocalServer::set_chat_runner(ChatRunner runner) {
  std::lock_guard guard(chat_lock_);
  chat_runner_ = std::move(runner);
}

void LocalServer::set_connect_handler(core::WorkerThread::Handler handler) {
  std::lock_guard guard(connect_lock_);
  connect_handler_ = std::move(handler);
}

bool LocalServer::is_running() const {
  std::lock_guard guard(state_lock_);
  return listener_.valid();
}

bool LocalServer::start_share_server(std::optional<uint16_t> port) {
  std::lock_guard guard(state_lock_);
  if (listener_.valid()) return true;
  const uint16_t wanted = port.value_or(static_cast<uint16_t>(context_.settings->values().share_port));
  auto fail = [](const std::string& message) {
    util::SetLastErrorText("%s", message.c_str());
    util::LogSystem("공유서버시작에러: %s", message.c_str());
    return false;
  };
  platform::UniqueFd listener(platform::create_tcp_socket());
  if (!listener.valid()) return fail("대기소켓 메모리 부족");
  int on = 1;
  ::setsockopt(listener.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = context_.bind_address;
  address.sin_port = htons(wanted);
  if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return fail(std::to_string(wanted) + "포트를 이미 다른프로그램(Dovel포함)이 사용중입니다.");
  }
  if (::listen(listener.get(), 5) != 0 || !platform::set_nonblocking(listener.get(), true)) return fail("Listen 실패");
  wake_ = platform::UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!wake_.valid()) return fail("Listen 실패");

  port_ = platform::local_port(listener.get());
  listener_ = std::move(listener);
  stopping_ = false;
  accept_thread_ = std::thread([this, fd = listener_.get()] { accept_loop(fd); });
  timer_thread_ = std::thread([this] { timer_loop(); });
  util::LogSystem("공유서버가 시작되었습니다 - [TCP %d Port]", port_);
  return true;
}

void LocalServer::stop_share_server(bool log) {
  {
    std::lock_guard guard(state_lock_);
    if (!listener_.valid()) return;
    stopping_ = true;
    uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(wake_.get(), &one, sizeof one);
  }
  timer_wake_.notify_all();
  accept_thread_.join();
  timer_thread_.join();
  {
    std::lock_guard guard(state_lock_);
    listener_.reset();
    wake_.reset();
  }
  stop_threads();
  if (log) util::LogSystem("공유서버가 중지되었습니다.");
}

void LocalServer::stop_threads() {
  controls_.shutdown_all();
  data_.stop_all();
  sides_.shutdown_all();
  chats_.shutdown_all();
  if (const size_t late = threads_.join_all(); late > 0) {
    util::LogSystem("연결 %d개가 제때 끝나지 않아 끝나는 대로 정리합니다.", static_cast<int>(late));
  }
}

bool LocalServer::start_search_responder() {
  if (responder_ == nullptr) return false;
  const uint16_t port = port_ != 0 ? port_ : static_cast<uint16_t>(context_.settings->values().share_port);
  if (responder_->start_search_responder(port)) {
    util::LogSystem("검색서버가 시작되었습니다 - [UDP %d Port]", port);
    return true;
  }
  util::LogSystem("검색 UDP서버 시작에러 - 포트: %d, 에러: 0x%08x", port, static_cast<unsigned>(responder_->last_system_error()));
  return false;
}

void LocalServer::stop_search_responder() {
  if (responder_ != nullptr) responder_->stop_search_responder();
}

void LocalServer::accept_loop(int listener) {
  std::deque<Pending> pending;
  while (true) {
    std::vector<pollfd> watched = {{wake_.get(), POLLIN, 0}, {listener, POLLIN, 0}};
    int timeout = 1000;
    for (const Pending& waiting : pending) {
      watched.push_back({waiting.fd.get(), POLLIN, 0});
      timeout = std::min(timeout, waiting.deadline.remaining_ms());
    }
    for (const Refused& closing : refused_) {
      watched.push_back({closing.socket->fd(), POLLIN, 0});
      timeout = std::min(timeout, closing.deadline.remaining_ms());
    }
    if (::poll(watched.data(), watched.size(), timeout) < 0 && errno != EINTR) break;
    if (watched[0].revents != 0) break;

    // Refused sockets first: what they read is thrown away, and at their end or deadline they close.
    std::deque<Refused> still_closing;
    for (size_t i = 0; i < refused_.size(); ++i) {
      Refused& closing = refused_[i];
      bool ended = closing.deadline.expired();
      if (watched[i + 2 + pending.size()].revents != 0) {
        char discarded[4096];
        const ssize_t got = ::recv(closing.socket->fd(), discarded, sizeof discarded, MSG_DONTWAIT);
        ended = ended || got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
      }
      if (!ended) still_closing.push_back(std::move(closing));
    }
    refused_.swap(still_closing);

    // Kind bytes first: their sockets are the ones already waiting.
    std::deque<Pending> still_waiting;
    for (size_t i = 0; i < pending.size(); ++i) {
      Pending& waiting = pending[i];
      if (watched[i + 2].revents != 0) {
        uint8_t kind = 0;
        ssize_t got = ::recv(waiting.fd.get(), &kind, 1, MSG_DONTWAIT);
        if (got == 1) {
          dispatch(std::move(waiting.fd), waiting.remote, kind);
          continue;
        }
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) continue;
      }
      if (!waiting.deadline.expired()) still_waiting.push_back(std::move(waiting));
    }
    pending.swap(still_waiting);

    if (watched[1].revents != 0) {
      while (true) {
        sockaddr_in remote{};
        socklen_t remote_size = sizeof remote;
        int accepted = ::accept4(listener, reinterpret_cast<sockaddr*>(&remote), &remote_size, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (accepted < 0) break;
        if (pending.size() >= pending_limits_.most) pending.pop_front();
        pending.push_back({platform::UniqueFd(accepted), remote.sin_addr.s_addr, platform::Deadline::after_ms(pending_limits_.deadline_ms)});
      }
    }
    threads_.collect_finished();
  }
  refused_.clear();
}

void LocalServer::dispatch(platform::UniqueFd fd, platform::Ipv4 remote, uint8_t kind) {
  if (!platform::set_nonblocking(fd.get(), false)) return;
  auto socket = std::make_shared<wire::PeerSocket>(std::move(fd), remote);
  switch (kind) {
    case wire::kControlKind:
      accept_control(std::move(socket));
      break;
    case wire::kDataKind:
      accept_data(std::move(socket));
      break;
    case wire::kChatKind:
      accept_chat(std::move(socket));
      break;
    case wire::kSideChannelKind:
      accept_side_channel(std::move(socket));
      break;
    default:
      break;  // closed as it goes
  }
}

void LocalServer::refuse(std::shared_ptr<wire::PeerSocket> socket, std::string_view answer) {
  if (!socket->send_raw(answer, kAnswerTimeoutMs)) return;
  // Closing with unread bytes would reset the connection, and a reset can
  // take the answer with it: the peer gets our end of stream and a moment to
  // stop sending first.
  ::shutdown(socket->fd(), SHUT_WR);
  if (refused_.size() >= pending_limits_.most) refused_.pop_front();
  refused_.push_back({std::move(socket), platform::Deadline::after_ms(pending_limits_.refused_linger_ms)});
}

void LocalServer::accept_control(std::shared_ptr<wire::PeerSocket> socket) {
  keep_alive_all(controls_, 0);
  if (controls_.count() >= kMaxControlConnections || controls_.count_from(socket->remote_address()) >= kMaxControlConnectionsPerAddress) {
    refuse(std::move(socket), "OVER");
    return;
  }
  const bool paused = context_.monitor != nullptr && context_.monitor->new_uploads_paused();
  std::string answer = paused ? "X_UP" : "OKKK";
  answer += static_cast<char>(kProtocolVersion);
  if (!socket->send_raw(answer, kAnswerTimeoutMs)) return;
  const uint64_t id = next_id_++;
  controls_.add(id, socket);
  const bool started = threads_.start(id, [this, socket, id] {
    run_control_session(context_, socket, id);
    controls_.remove(id);
  });
  if (!started) controls_.remove(id);
}

void LocalServer::accept_data(std::shared_ptr<wire::PeerSocket> socket) {
  if (context_.hashing->active()) {
    refuse(std::move(socket), value16(2));
    return;
  }
  const bool paused = context_.monitor != nullptr && context_.monitor->new_uploads_paused();
  if (paused || context_.meter->power_off_after_transfers) {
    refuse(std::move(socket), value16(10));
    return;
  }
  if (data_.count() >= context_.settings->values().max_upload + kDataConnectionsAboveMaxUpload ||
      data_.count_from(socket->remote_address()) >= kMaxDataConnectionsPerAddress) {
    refuse(std::move(socket), value16(3));
    return;
  }
  auto connection = std::make_shared<DataConnection>();
  connection->id = next_id_++;
  connection->socket = std::move(socket);
  data_.add(connection);
  if (!threads_.start(connection->id, [this, connection] { run_data_connection_(context_, data_, connection); })) data_.remove(connection->id);
}

void LocalServer::accept_chat(std::shared_ptr<wire::PeerSocket> socket) {
  ChatRunner runner;
  {
    std::lock_guard guard(chat_lock_);
    runner = chat_runner_;
  }
  if (!context_.settings->values().allow_memo || !runner) {
    refuse(std::move(socket), "NOOO");
    return;
  }
  keep_alive_all(chats_, 0);
  if (chats_.count() >= kMaxChatConnections) {
    refuse(std::move(socket), "OVER");
    return;
  }
  if (!socket->send_raw("OKKK", kAnswerTimeoutMs)) return;
  const uint64_t id = next_id_++;
  chats_.add(id, socket);
  const bool started = threads_.start(id, [this, socket, id, runner] {
    runner(socket);
    chats_.remove(id);
  });
  if (!started) chats_.remove(id);
}

void LocalServer::accept_side_channel(std::shared_ptr<wire::PeerSocket> socket) {
  keep_alive_all(sides_, 0);
  if (sides_.count() >= kMaxSideConnections) {
    refuse(std::move(socket), "OVER");
    return;
  }
  if (!socket->send_raw("OKKK", kAnswerTimeoutMs)) return;
  const uint64_t id = next_id_++;
  sides_.add(id, socket);
  const bool started = threads_.start(id, [this, socket, id] {
    run_side_channel(context_, socket);
    sides_.remove(id);
  });
  if (!started) sides_.remove(id);
}

// The periods are measured on the context's clock, each from the reading at
// which it last fell due. The thread never sleeps longer than
// kLongestTimerWaitMs before reading the clock again, so that a clock moved by
// other means than real time (a test's) is seen; a stop wakes it at once.
void LocalServer::timer_loop() {
  const platform::Clock& clock = *context_.clock;
  platform::Tick status_from = clock.tick();
  platform::Tick keep_alive_from = status_from;
  std::unique_lock guard(state_lock_);
  while (!stopping_) {
    const platform::Tick now = clock.tick();
    const int status_left = milliseconds_left(status_from, now, kStatusPeriodMs);
    const int keep_alive_left = milliseconds_left(keep_alive_from, now, kKeepAlivePeriodMs);
    if (status_left > 0 && keep_alive_left > 0) {
      const int wait_ms = std::min({status_left, keep_alive_left, kLongestTimerWaitMs});
      timer_wake_.wait_for(guard, std::chrono::milliseconds(wait_ms), [this] { return stopping_; });
      continue;
    }
    guard.unlock();
    if (status_left == 0) {
      broadcast_status();
      status_from = now;
    }
    if (keep_alive_left == 0) {
      send_keep_alives();
      keep_alive_from = now;
    }
    guard.lock();
  }
}

void LocalServer::broadcast_status() {
  const std::string status = status_message(context_);
  for (const auto& socket : controls_.sockets()) socket->send_frame(status, kBroadcastTimeoutMs);
}

void LocalServer::send_keep_alives() {
  keep_alive_all(controls_, kBroadcastTimeoutMs);
  keep_alive_all(chats_, kBroadcastTimeoutMs);
  keep_alive_all(sides_, kBroadcastTimeoutMs);
}

bool LocalServer::disconnect_control(uint64_t id) {
  std::shared_ptr<wire::PeerSocket> socket = controls_.find(id);
  if (!socket) return false;
  socket->shutdown();
  return true;
}

bool LocalServer::close_upload(uint64_t id) { return data_.close(id); }

}  // namespace dovel::server
