#include "browse/client_control_session.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>

#include "base/string_printf.h"
#include "core/message_ids.h"
#include "platform/clock.h"
#include "platform/deadline.h"
#include "service/service_socket.h"
#include "wire/connection_kind.h"
#include "wire/peer_frame.h"
#include "wire/wire_text.h"

namespace dovel::browse {
namespace {

constexpr platform::Ipv4 kLoopback = 0x0100007F;  // 127.0.0.1 in network order

platform::UniqueFd new_socket(platform::Ipv4 bind_address) {
  platform::UniqueFd fd(platform::create_tcp_socket());
  if (!fd.valid() || bind_address == 0) return fd;
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = bind_address;
  if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) fd.reset();
  return fd;
}

}  // namespace

ClientControlSession::ClientControlSession(SessionSetup setup, SessionEvents& events)
    : setup_(std::move(setup)), events_(events), peer_id_(setup_.target.peer_id) {}

ClientControlSession::~ClientControlSession() { stop(); }

void ClientControlSession::start() {
  if (thread_.joinable()) return;
  thread_ = std::thread([this] { run(); });
}

void ClientControlSession::request_stop() {
  stop_requested_ = true;
  stop_signal_.stop();
  std::lock_guard guard(lock_);
  if (socket_) socket_->shutdown();
}

void ClientControlSession::stop() {
  request_stop();
  if (thread_.joinable()) thread_.join();
}

std::string ClientControlSession::peer_id() const {
  std::lock_guard guard(lock_);
  return peer_id_;
}

std::string ClientControlSession::peer_label() const {
  std::lock_guard guard(lock_);
  return peer_label_;
}

size_t ClientControlSession::send_request(std::string_view payload) {
  if (payload.empty() || payload.size() > kMaxRequestLength || !logged_in()) return 0;
  // Pending before it goes out: the answer may come before send returns.
  const bool file_request = PendingRequests::is_file_request(payload);
  if (file_request) pending_.sent(payload);
  if (send_payload(payload)) return payload.size() + 4;
  if (file_request) pending_.withdraw(payload);
  return 0;
}

bool ClientControlSession::send_payload(std::string_view payload) {
  std::shared_ptr<wire::PeerSocket> socket;
  {
    std::lock_guard guard(lock_);
    socket = socket_;
  }
  return socket && socket->send_frame(payload);
}

void ClientControlSession::say(const char* with_id, const char* without_id) {
  tell(shows_ids_ ? base::string_printf(with_id, peer_id().c_str()) : std::string(without_id));
}

void ClientControlSession::run() {
  folder_download_supported_ = false;
  if (setup_.session != nullptr) {
    const service::SessionRecord record = setup_.session->record();
    shows_ids_ = record.privilege_a != 0 || record.privilege_b != 0;
  }
  events_.session_started();
  if (!stop_requested_ && events_.prepare(setup_.target, stop_signal_) && connect_and_greet() && send_login_lines()) {
    logged_in_ = true;
    receive_replies();
  }
  std::shared_ptr<wire::PeerSocket> socket;
  {
    std::lock_guard guard(lock_);
    socket = std::move(socket_);
  }
  if (socket) socket->shutdown();
  socket.reset();
  ended_ = true;
  events_.session_ended();
}

bool ClientControlSession::connect_and_greet() {
  const SessionTarget& target = setup_.target;
  address_ = target.own_server ? (setup_.own_server_address != 0 ? setup_.own_server_address : kLoopback) : target.address;
  port_ = target.port;
  platform::UniqueFd fd = new_socket(setup_.bind_address);
  if (!fd.valid()) return false;
  auto socket = std::make_shared<wire::PeerSocket>(std::move(fd));
  {
    std::lock_guard guard(lock_);
    if (stop_requested_) return false;
    socket_ = socket;
  }
  say("'%s'님 서버로 접속을 시도합니다.", "접속을 시도합니다.");
  const platform::Tick before = platform::system_clock().tick();
  if (stop_requested_ || !platform::connect_tcp(socket->fd(), address_, port_, kConnectTimeoutMs) || stop_requested_) {
    say("'%s'님의 서버에 접속할 수 없습니다. Error: Connect Timeout", "접속할 수 없습니다. Error: Connect Timeout");
    return false;
  }
  const platform::Tick after = platform::system_clock().tick();
  connected_ = true;
  events_.session_connected();

  const char kind = static_cast<char>(wire::kControlKind);
  char word[4];
  errno = 0;
  const platform::Deadline deadline = platform::Deadline::after_ms(2 * kGreetingReadMs);
  if (!socket->send_raw(std::string_view(&kind, 1)) ||
      service::receive_exact(socket->fd(), word, sizeof word, kGreetingReadMs, deadline) != sizeof word) {
    const unsigned error = static_cast<unsigned>(errno);
    tell(shows_ids_ ? base::string_printf("'%s'님의 서버가 응답하지 않습니다. 잠시후 이용하시기 바랍니다. Error: 0x%08x",
                                              peer_id().c_str(), error)
                        : base::string_printf("응답하지 않습니다. 잠시후 이용하시기 바랍니다. Error: 0x%08x", error));
    return false;
  }
  const std::string_view greeting(word, sizeof word);
  if (greeting == "OVER") {
    say("'%s'님의 서버에 접속자가 많습니다. 잠시후 이용하시기 바랍니다.", "접속자가 많습니다. 잠시후 이용하시기 바랍니다.");
    return false;
  }
  if (greeting == "X_UP") {
    upload_paused_ = true;
    tell("업로드일시중지 - 서버사용자가 업로드를 잠시 중지한 상태입니다.");
  }
  uint8_t version = 0;
  if (service::receive_exact(socket->fd(), &version, 1, kGreetingReadMs, deadline) != 1) return false;
  server_version_ = version;
  const int milliseconds = static_cast<int>(platform::ticks_between(before, after));
  tell(shows_ids_ ? base::string_printf("'%s'님 서버로 접속을 성공하였습니다. 응답시간: %dms", peer_id().c_str(), milliseconds)
                      : base::string_printf("접속을 성공하였습니다. 응답시간: %dms", milliseconds));
  return true;
}

bool ClientControlSession::send_login_lines() {
  service::SessionRecord record;
  if (setup_.session != nullptr) record = setup_.session->record();
  const SessionTarget& target = setup_.target;
  const std::optional<std::string> user_id = wire::field(record.identity.user_id, "|");
  const std::optional<std::string> label = wire::field(record.identity.member_label, "|");
  const std::optional<std::string> start_path = wire::field(target.start_path, "|");
  const std::optional<std::string> focus_file = wire::terminated_field(target.focus_file);
  const std::optional<std::string> own_address = wire::terminated_field(setup_.own_address);
  if (!user_id || !label || !start_path || !focus_file || !own_address) {
    tell("접속요청에 서버로 보낼 수 없는 글자가 있습니다.");
    return false;
  }
  send_payload("D" + *user_id + "|" + std::to_string(record.identity.member_level) + "|" + *label + "|" + std::to_string(target.share_index) + '\0');
  send_payload(record.is_adult != 0 || target.own_server ? "A1" : "A0");
  if (target.share_index < 0) {
    send_payload("C\\" + *start_path);
  } else if (target.start_path.empty()) {
    // An empty "C" would take the server back to its root and undo the
    // placement the login line asked for: list the share instead.
    send_payload("L");
  } else {
    send_payload("C" + *start_path + '\0');
  }
  if (!target.focus_file.empty()) send_payload("F" + *focus_file);
  send_payload("I" + *own_address);
  send_payload(base::string_printf("P%d", static_cast<int>(setup_.own_port)) + '\0');
  return true;
}

void ClientControlSession::receive_replies() {
  int fd = -1;
  {
    std::lock_guard guard(lock_);
    if (socket_) fd = socket_->fd();
  }
  while (fd >= 0 && !stop_requested_) {
    wire::PeerFrame frame = wire::read_server_frame(fd);
    if (frame.kind == wire::PeerFrame::Kind::End) return;
    if (frame.kind == wire::PeerFrame::Kind::KeepAlive) continue;
    if (stop_requested_) return;
    const std::string_view payload = frame.payload;
    if (!dispatch(payload.front(), wire::up_to_terminator(payload.substr(1)))) return;
  }
}

bool ClientControlSession::dispatch(char letter, std::string_view body) {
  switch (letter) {
    case '1':
      tell("파일ID가 없으며 공유해제된 파일일 수 있습니다. 취소되었습니다.");
      return true;
    case '2':
      if (!has_status_fields(body, 3)) return false;
      if (auto lines = parse_server_status(body)) events_.status_arrived(*lines);
      return true;
    case '3':
      tell("접속실패 - 서버주인에 의해 차단된 사용자입니다.");
      return false;
    case '4':
      tell("접속실패 - 친구전용폴더입니다.");
      return false;
    case '5':
      folder_download_supported_ = true;
      return true;
    case 'B':
      tell("파일해싱중입니다. 잠시후 다시 시도하세요.");
      return true;
    case 'D':
      if (auto identity = parse_peer_identity(body)) {
        {
          std::lock_guard guard(lock_);
          peer_id_ = identity->user_id;
          peer_label_ = identity->label;
        }
        events_.identity_arrived(*identity);
      }
      return true;
    case 'H': {
      auto reply = parse_file_hash_reply(body);
      if (!reply) return false;
      // An answer nobody asked for would queue whatever the server likes.
      return !pending_.take_answer(letter, body) || events_.file_hash_arrived(*reply);
    }
    case 'I':
      if (auto intro = parse_peer_intro(body)) events_.intro_arrived(*intro);
      return true;
    case 'K':
      if (pending_.take_answer(letter, body)) forward_to_hub(core::UM_FILE_LINK_REPLY, body);
      return true;
    case 'L':
      events_.listing_arrived(body);
      return true;
    case 'N':
      tell("파일해싱이 안된 파일입니다. 서버는 자동으로 해싱 되었습니다. 잠시후 시도하세요.");
      return true;
    case 'P':
      tell("암호가 틀렸습니다.");
      events_.password_refused();
      return true;
    case 'R':
      if (!has_fields(body, 3)) return false;
      // Each answer opens a window: only the one asked for.
      if (pending_.take_answer(letter, body)) forward_to_hub(core::UM_FILE_INFO_REPLY, body);
      return true;
    case 'X':
      tell("해당 폴더에 접근권한이 없습니다.");
      events_.access_refused();
      return true;
    case 'Z':
      if (setup_.folder_lists != nullptr) setup_.folder_lists->folder_list_arrived(body);
      return true;
    default:
      // 'C' and every unknown letter end the session.
      return false;
  }
}

void ClientControlSession::forward_to_hub(core::MessageId id, std::string_view body) {
  if (setup_.hub == nullptr) return;
  auto text = wire::read_field(body);
  if (!text) return;
  setup_.hub->post({id, 0, 0, std::make_unique<core::TextPayload>(std::move(*text))});
}

}  // namespace dovel::browse
