#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

#include "core/worker_thread.h"
#include "server/connection_threads.h"
#include "server/data_connections.h"
#include "server/share_server_context.h"
#include "server/socket_list.h"
#include "wire/connection_kind.h"

namespace dovel::server {

// The UDP search responder as the share server starts and stops it.
class SearchResponderControl {
 public:
  virtual ~SearchResponderControl() = default;
  virtual bool start_search_responder(uint16_t port) = 0;
  virtual void stop_search_responder() = 0;
  // The system error of the last failed start.
  virtual int last_system_error() const = 0;
};

// Serves one data connection to its end, on the calling thread, and takes it
// off the data list when done.
using DataConnectionRunner = std::function<void(ShareServerContext&, DataConnectionList&, std::shared_ptr<DataConnection>)>;
// Serves one accepted chat connection to its end, on the calling thread.
using ChatRunner = std::function<void(std::shared_ptr<wire::PeerSocket>)>;

// The protocol version byte a control connection is greeted with.
inline constexpr uint8_t kProtocolVersion = 11;

// Accepted sockets waiting for their kind byte: at most this many, each for at
// most the deadline. A refused socket is kept as long again at most, reading
// what the peer still sends, so that its answer is not lost to a reset.
struct PendingLimits {
  size_t most = 64;
  int deadline_ms = 30000;
  int refused_linger_ms = 1000;
};

// The share server: listens on the share port, reads each connection's kind
// byte, applies the per-kind limits with their raw answers and hands the
// connection to its own thread; keeps the lists of running connections, sends
// the status every 5 s and keep-alives every 60 s, and owns the connect worker
// that sets up the downloads' data connections.
class LocalServer {
 public:
  static constexpr size_t kMaxControlConnections = 50;
  // Connections one address may hold at once: one peer cannot take every place.
  static constexpr size_t kMaxControlConnectionsPerAddress = 8;
  static constexpr size_t kMaxDataConnectionsPerAddress = 8;
  static constexpr size_t kMaxChatConnections = 10;
  static constexpr size_t kMaxSideConnections = 10;
  static constexpr size_t kDataConnectionsAboveMaxUpload = 10;
  static constexpr int kStatusPeriodMs = 5000;
  static constexpr int kKeepAlivePeriodMs = 60000;

  LocalServer(ShareServerContext& context, DataConnectionRunner run_data_connection, PendingLimits pending_limits = {});
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  void set_search_responder(SearchResponderControl* responder) { responder_ = responder; }
  // Chat connections are refused ("NOOO") until a runner is set.
  void set_chat_runner(ChatRunner runner);
  // What the connect worker does with each request of the downloads.
  void set_connect_handler(core::WorkerThread::Handler handler);
  core::MessageTarget& connect_worker() { return *connect_worker_; }

  // Listens on the share port (or `port`; 0 picks a free one). True when it
  // listens; otherwise the last-error text says why.
  bool start_share_server(std::optional<uint16_t> port = std::nullopt);
  // Closes the listener and every connection, and joins their threads.
  void stop_share_server(bool log);
  bool is_running() const;
  uint16_t port() const { return port_; }

  bool start_search_responder();
  void stop_search_responder();

  size_t control_count() const { return controls_.count(); }
  size_t data_count() const { return data_.count(); }
  size_t side_channel_count() const { return sides_.count(); }
  size_t chat_count() const { return chats_.count(); }

  // The upload monitor's commands.
  bool disconnect_control(uint64_t id);
  bool close_upload(uint64_t id);

  // The periodic sends, also run by the server's own timer.
  void broadcast_status();
  void send_keep_alives();

 private:
  struct Pending;
  struct Refused;

  void accept_loop(int listener);
  void timer_loop();
  void dispatch(platform::UniqueFd fd, platform::Ipv4 remote, uint8_t kind);
  // Sends a refusal and keeps the socket a little while, so that the answer
  // reaches the peer before the close.
  void refuse(std::shared_ptr<wire::PeerSocket> socket, std::string_view answer);
  void accept_control(std::shared_ptr<wire::PeerSocket> socket);
  void accept_data(std::shared_ptr<wire::PeerSocket> socket);
  void accept_chat(std::shared_ptr<wire::PeerSocket> socket);
  void accept_side_channel(std::shared_ptr<wire::PeerSocket> socket);
  void stop_threads();

  ShareServerContext& context_;
  DataConnectionRunner run_data_connection_;
  PendingLimits pending_limits_;
  SearchResponderControl* responder_ = nullptr;
  std::mutex chat_lock_;
  ChatRunner chat_runner_;
  std::mutex connect_lock_;
  core::WorkerThread::Handler connect_handler_;
  std::unique_ptr<core::WorkerThread> connect_worker_;

  mutable std::mutex state_lock_;
  platform::UniqueFd listener_;
  platform::UniqueFd wake_;
  uint16_t port_ = 0;
  std::thread accept_thread_;
  std::thread timer_thread_;
  std::condition_variable timer_wake_;
  bool stopping_ = false;

  std::deque<Refused> refused_;  // the accept thread's own
  std::atomic<uint64_t> next_id_{1};
  SocketList controls_;
  SocketList chats_;
  SocketList sides_;
  DataConnectionList data_;
  ConnectionThreads threads_;
};

}  // namespace dovel::server
