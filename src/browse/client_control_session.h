#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "browse/pending_requests.h"
#include "browse/session_events.h"
#include "browse/session_target.h"
#include "core/message.h"
#include "platform/socket.h"
#include "platform/stop_signal.h"
#include "service/service_session.h"
#include "wire/peer_socket.h"

namespace dovel::browse {

// What a session needs from the rest of the program. Every pointer outlives the session.
struct SessionSetup {
  SessionTarget target;
  const service::ServiceSession* session = nullptr;  // the user's identity, read when the login lines go out
  std::string own_address;                             // sent as "I%s"
  uint16_t own_port = 0;                               // sent as "P%d"
  platform::Ipv4 own_server_address = 0;               // where the own server listens (own_server)
  platform::Ipv4 bind_address = 0;                     // the address connections leave from (0: any)
  core::MessageTarget* hub = nullptr;             // file information and file link replies
  FolderListSink* folder_lists = nullptr;              // folder-download lists (none: dropped)
};

inline constexpr int kConnectTimeoutMs = 8000;
inline constexpr int kGreetingReadMs = 10000;
// The largest request a share server accepts.
inline constexpr size_t kMaxRequestLength = 1023;
// The server's protocol version from which it answers file-link requests.
inline constexpr int kFileLinkVersion = 11;

// The user's side of one control connection to another user's share server,
// on a thread of its own: connect, greeting and login, the first folder
// request, then every reply of the server until the connection ends or the
// owner stops it. Replies become system messages, calls of the owner's
// SessionEvents, or messages to the hub. Requests the owner sends later go
// out over the same connection from the owner's thread.
class ClientControlSession {
 public:
  ClientControlSession(SessionSetup setup, SessionEvents& events);
  // Stops and joins.
  ~ClientControlSession();
  ClientControlSession(const ClientControlSession&) = delete;
  ClientControlSession& operator=(const ClientControlSession&) = delete;

  void start();
  // Asks the receive loop to end and wakes it (shuts the socket down); returns at once.
  void request_stop();
  // request_stop, then waits for the thread.
  void stop();

  // Frames and sends one request; the bytes written, or 0 when there is no
  // connection or the request is longer than a server accepts. A file request
  // ('H', 'R', 'K') stays pending until its answer: the server's hash,
  // information and link answers are taken only for pending requests.
  size_t send_request(std::string_view payload);

  bool ended() const { return ended_; }
  // Connected, until the session ends.
  bool connected() const { return connected_ && !ended_; }
  // The login lines are out: the owner's requests may follow.
  bool logged_in() const { return logged_in_ && !ended_; }
  bool upload_paused() const { return upload_paused_; }
  bool folder_download_supported() const { return folder_download_supported_; }
  int server_version() const { return server_version_; }
  // The address and port connected to (the own server's address for
  // own_server); 0 until the session prepared its target.
  platform::Ipv4 address() const { return address_; }
  uint16_t port() const { return port_; }
  bool own_server() const { return setup_.target.own_server; }
  // The peer's ID: as given, then as the server reports it.
  std::string peer_id() const;
  std::string peer_label() const;

 private:
  void run();
  bool connect_and_greet();
  bool send_login_lines();
  void receive_replies();
  // False when the reply ends the session.
  bool dispatch(char letter, std::string_view body);
  void forward_to_hub(core::MessageId id, std::string_view body);
  bool send_payload(std::string_view payload);
  // The system message with the peer's ID for users who may see IDs, else the plain one.
  void say(const char* with_id, const char* without_id);
  void tell(const std::string& text) { events_.system_message(text); }

  SessionSetup setup_;
  SessionEvents& events_;
  std::atomic<platform::Ipv4> address_{0};
  std::atomic<uint16_t> port_{0};
  bool shows_ids_ = false;

  mutable std::mutex lock_;  // the socket pointer and the peer's texts
  std::shared_ptr<wire::PeerSocket> socket_;
  std::string peer_id_;
  std::string peer_label_;

  PendingRequests pending_;
  std::atomic<bool> stop_requested_{false};
  platform::StopSignal stop_signal_;  // wakes what prepare() waits on
  std::atomic<bool> connected_{false};
  std::atomic<bool> logged_in_{false};
  std::atomic<bool> ended_{false};
  std::atomic<bool> upload_paused_{false};
  std::atomic<bool> folder_download_supported_{false};
  std::atomic<int> server_version_{0};
  std::thread thread_;
};

}  // namespace dovel::browse
