#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "core/message.h"
#include "platform/clock.h"
#include "service/endpoints.h"
#include "service/service_session.h"

namespace dovel::service {

// A relayed memo or a message from the service (push 123).
struct MemoPayload : core::MessagePayload {
  std::string marker;
  std::string sender;
  std::string body;  // UTF-8
};

struct LoginOutcome {
  int result = 0;
  int reason = 0;
  std::string server_id;  // the ID as the service returned it
};

// Asks whether to end the ID's other session ("'%s'님은 이미 접속상태입니다...");
// false declines (the login then answers 18).
using TakeoverQuestion = std::function<bool(const std::string& user_id)>;

// The connection to the authentication server: the login, the session it opens,
// the service's pushes on it, the keep-alive and the frames the user sends.
// Pushes and the end of the connection reach the hub as messages; the calls
// block their caller and are meant for worker threads.
class AuthClient {
 public:
  AuthClient(ServiceEndpoints endpoints, ServiceSession& session, core::MessageTarget* hub,
             const platform::Clock& clock = platform::system_clock());
  ~AuthClient();
  AuthClient(const AuthClient&) = delete;
  AuthClient& operator=(const AuthClient&) = delete;

  // Logs in with `user_id` as typed. The session is filled, UM_LOGIN_DONE posted
  // and the connection kept only when the service accepts and returns exactly
  // that ID; on any failure no session is left.
  LoginOutcome login(const std::string& user_id, const std::string& password, bool allow_memo, bool skip_duplicate_check,
                     const TakeoverQuestion& takeover = {});
  // Logs in again with the stored ID and password, without questions, when the
  // connection is gone and the account is not suspended. A try that finds no
  // service, or one that cannot take the login now, keeps the session record for
  // the next try; only a refusal of the ID or the password ends it.
  bool relogin_silently();
  // After the service closed the session in order: whether another login holds
  // the stored ID now (the service's duplicate check). False when the service
  // cannot be asked, as when it is going down itself.
  bool session_held_elsewhere();
  bool connected() const;
  // Ends the connection from this side (no UM_AUTH_CLOSED).
  void close();

  bool keep_alive();
  bool send_memo_flag(bool allow);
  // A memo (123) or a blocked-sender notice (128): target ID, 0x07, text (1..1024 bytes), NUL.
  bool send_chat_frame(uint16_t type, std::string_view target_id, std::string_view text);
  // The number of users online, on a connection of its own.
  std::optional<uint32_t> online_count();

 private:
  // The exchange of a login; a failure closes the connection and leaves the session record alone.
  LoginOutcome attempt_login(const std::string& user_id, const std::string& password, bool allow_memo, bool skip_duplicate_check,
                             const TakeoverQuestion& takeover);
  void forget_session();
  bool duplicate_session(const std::string& user_id, bool& failed);
  void start_reader(int fd);
  void read_pushes(int fd);
  void dispatch(uint16_t type, const std::string& text);
  bool send_frame_locked(uint16_t type, std::string_view payload);

  const ServiceEndpoints endpoints_;
  ServiceSession& session_;
  core::MessageTarget* hub_;
  const platform::Clock& clock_;

  mutable std::mutex state_lock_;
  platform::UniqueFd socket_;
  std::thread reader_;
  std::atomic<bool> closing_{false};
  std::atomic<bool> relogin_running_{false};
  std::atomic<bool> last_allow_memo_{true};
  std::mutex send_lock_;
};

// The message box text of a failed login ("" for results without one).
std::string login_failure_text(int result, int reason);

}  // namespace dovel::service
