#include "service/auth_client.h"

#include <sys/socket.h>

#include "core/message_ids.h"
#include "platform/cp949.h"
#include "service/auth_messages.h"
#include "service/reply_readers.h"
#include "service/service_socket.h"
#include "util/current_user.h"
#include "util/little_endian.h"
#include "util/log_files.h"

namespace dovel::service {
namespace {

constexpr int kConnectMs = 5000;
constexpr int kSessionConnectMs = 10000;
constexpr int kDuplicateReplyMs = 5000;
constexpr int kLoginReplyMs = 10000;
constexpr int kOnlineCountMs = 5000;
constexpr int kPushBodyMs = 10000;

ReplyTiming timing(int milliseconds) { return {milliseconds, platform::Deadline::after_ms(milliseconds)}; }

std::string utf8_text(std::string_view wire) { return platform::cp949_to_utf8(wire.substr(0, wire.find('\0'))).value_or(std::string()); }

}  // namespace

AuthClient::AuthClient(ServiceEndpoints endpoints, ServiceSession& session, core::MessageTarget* hub, const platform::Clock& clock)
    : endpoints_(std::move(endpoints)), session_(session), hub_(hub), clock_(clock) {}

AuthClient::~AuthClient() { close(); }

bool AuthClient::connected() const {
  std::lock_guard guard(state_lock_);
  return socket_.valid() && reader_.joinable() && !closing_;
}

void AuthClient::close() {
  std::thread reader;
  {
    std::lock_guard guard(state_lock_);
    closing_ = true;
    platform::shutdown_socket(socket_.get());
    reader = std::move(reader_);
  }
  if (reader.joinable()) reader.join();
  std::lock_guard guard(state_lock_);
  socket_.reset();
}

bool AuthClient::duplicate_session(const std::string& user_id, bool& failed) {
  failed = true;
  int fd = kInvalidSocket;
  if (!connect_to_service(fd, endpoints_, endpoints_.authentication, kConnectMs)) return false;
  platform::UniqueFd connection(fd);
  auto id = platform::utf8_to_cp949(user_id);
  if (!id || send_frame(fd, kDuplicateCheckType, *id + std::string(1, '\0')) < 0) return false;
  std::optional<std::string> reply = read_fixed_reply(fd, 5, timing(kDuplicateReplyMs));
  if (!reply) return false;
  failed = false;
  return (*reply)[4] == 1;
}

void AuthClient::forget_session() {
  session_.clear();
  util::SetCurrentUserId(util::kGuestUserId);
}

LoginOutcome AuthClient::login(const std::string& user_id, const std::string& password, bool allow_memo, bool skip_duplicate_check,
                               const TakeoverQuestion& takeover) {
  LoginOutcome outcome = attempt_login(user_id, password, allow_memo, skip_duplicate_check, takeover);
  if (outcome.result != kLoginOk) forget_session();
  return outcome;
}

LoginOutcome AuthClient::attempt_login(const std::string& user_id, const std::string& password, bool allow_memo, bool skip_duplicate_check,
                                       const TakeoverQuestion& takeover) {
  auto fail = [this](int result, int reason = 0, std::string server_id = {}) {
    close();
    return LoginOutcome{result, reason, std::move(server_id)};
  };
  LoginRequest request{user_id, password, clock_.tick(), kClientVersion, allow_memo, program_integrity_value()};
  std::optional<std::string> payload = build_login_request(request);
  if (!payload) return fail(kLoginTooLong);

  if (!skip_duplicate_check) {
    bool failed = false;
    bool taken = duplicate_session(user_id, failed);
    if (failed) return fail(kLoginNoConnection);
    if (taken && !(takeover && takeover(user_id))) return fail(kLoginDuplicate);
  }

  close();
  int fd = kInvalidSocket;
  if (!connect_to_service(fd, endpoints_, endpoints_.authentication, kSessionConnectMs)) {
    return fail(kLoginNoConnection);
  }
  {
    std::lock_guard guard(state_lock_);
    socket_.reset(fd);
    closing_ = false;
  }
  if (send_frame(fd, kLoginType, *payload) < 0) return fail(kLoginFailed);
  std::optional<std::string> body = read_short_prefixed_reply(fd, timing(kLoginReplyMs));
  if (!body) return fail(kLoginFailed);
  std::optional<LoginReply> reply = parse_login_reply(*body);
  if (!reply) return fail(kLoginFailed);
  if (reply->result != kLoginOk) return fail(reply->result, reply->reason, reply->user_id);
  // The service must know the user by exactly the ID that logged in; otherwise no session.
  if (reply->user_id != user_id) return fail(kLoginNotAuthenticated, reply->reason, reply->user_id);

  SessionRecord record;
  record.identity = {user_id, reply->member_level, reply->member_label, reply->auth_token_a, reply->auth_token_b};
  record.password = password;
  record.account_serial = reply->account_serial;
  record.is_adult = reply->is_adult;
  record.transfer_flag = reply->transfer_flag;
  record.privilege_b = reply->privilege_b;
  record.privilege_a = reply->privilege_a;
  record.warning_level = reply->warning_level;
  record.suspension_kind = reply->suspension_kind;
  record.extra_flag = reply->extra_flag;
  record.session_note = reply->session_note;
  record.login_tick = request.tick;
  session_.set_record(record);
  util::SetCurrentUserId(user_id);
  last_allow_memo_ = allow_memo;
  // The login is told before anything the service pushes to the new session.
  if (hub_ != nullptr) hub_->post({core::UM_LOGIN_DONE, 0, 0, nullptr});
  start_reader(fd);
  return {kLoginOk, reply->reason, reply->user_id};
}

bool AuthClient::relogin_silently() {
  if (connected()) return false;
  const SessionRecord record = session_.record();
  if (record.suspension_kind != 0 || record.identity.user_id.empty() || record.password.empty()) return false;
  if (relogin_running_.exchange(true)) return false;
  LoginOutcome outcome = attempt_login(record.identity.user_id, record.password, last_allow_memo_, true, {});
  relogin_running_ = false;
  if (outcome.result == kLoginOk) return true;
  if (credentials_refused(outcome.result, outcome.reason)) forget_session();
  return false;
}

bool AuthClient::session_held_elsewhere() {
  // Our end goes first, so that the service no longer counts the closed session as ours.
  close();
  const std::string user_id = session_.identity().user_id;
  if (user_id.empty()) return false;
  bool failed = false;
  const bool held = duplicate_session(user_id, failed);
  return !failed && held;
}

void AuthClient::start_reader(int fd) {
  std::lock_guard guard(state_lock_);
  reader_ = std::thread([this, fd] { read_pushes(fd); });
}

void AuthClient::read_pushes(int fd) {
  int error = 0;
  while (true) {
    uint8_t prefix[2];
    if (platform::wait_readable(fd, -1) != platform::WaitResult::Ready) break;
    ssize_t got = ::recv(fd, prefix, 1, MSG_PEEK);
    if (got <= 0) {
      error = got == 0 ? 0 : errno;
      break;
    }
    std::optional<std::string> body = read_short_prefixed_reply(fd, timing(kPushBodyMs));
    if (!body) {
      error = ECONNABORTED;
      break;
    }
    if (std::optional<Push> push = parse_push_body(*body)) dispatch(push->type, push->text);
  }
  if (!closing_ && hub_ != nullptr) hub_->post({core::UM_AUTH_CLOSED, static_cast<uint64_t>(error), 0, nullptr});
  closing_ = true;
}

void AuthClient::dispatch(uint16_t type, const std::string& text) {
  if (hub_ == nullptr) return;
  switch (type) {
    case kNoticePush:
      hub_->post({core::UM_SERVICE_NOTICE, 0, 0,
                  std::make_unique<core::TextPayload>("\r\n\r\n- 도벨 실시간 공지 -\r\n\r\n" + utf8_text(text) + "\r\n\r\n")});
      break;
    case kMemoPush: {
      RelayedMemo memo = split_relayed_memo(text.substr(0, text.find('\0')));
      auto payload = std::make_unique<MemoPayload>();
      payload->marker = utf8_text(memo.marker);
      payload->sender = utf8_text(memo.sender);
      payload->body = utf8_text(memo.body);
      hub_->post({core::UM_SERVICE_MEMO, 0, 0, std::move(payload)});
      break;
    }
    case kSystemLinePush: {
      std::string line = utf8_text(text);
      util::LogSystem("%s", line.c_str());
      hub_->post({core::UM_SERVICE_LINE, 0, 0, std::make_unique<core::TextPayload>(line)});
      break;
    }
    case kOnlineCountPush:
      if (text.size() >= 4) hub_->post({core::UM_ONLINE_COUNT, util::read_u32(text.data()), 0, nullptr});
      break;
    default:
      break;
  }
}

bool AuthClient::send_frame_locked(uint16_t type, std::string_view payload) {
  std::lock_guard guard(send_lock_);
  int fd;
  {
    std::lock_guard state(state_lock_);
    if (!socket_.valid() || closing_) return false;
    fd = socket_.get();
  }
  return send_frame(fd, type, payload) >= 0;
}

bool AuthClient::keep_alive() { return send_frame_locked(kKeepAliveType, "P"); }

bool AuthClient::send_memo_flag(bool allow) { return send_frame_locked(kMemoFlagType, std::string(1, allow ? 1 : 0)); }

bool AuthClient::send_chat_frame(uint16_t type, std::string_view target_id, std::string_view text) {
  std::optional<std::string> payload = build_chat_message({std::string(target_id), std::string(text)});
  if (!payload) return false;
  if (!connected()) relogin_silently();
  return send_frame_locked(type, *payload);
}

std::optional<uint32_t> AuthClient::online_count() {
  int fd = kInvalidSocket;
  if (!connect_to_service(fd, endpoints_, endpoints_.authentication, kConnectMs)) return std::nullopt;
  platform::UniqueFd connection(fd);
  if (send_frame(fd, kOnlineCountType, "") < 0) return std::nullopt;
  std::optional<std::string> reply = read_fixed_reply(fd, 8, timing(kOnlineCountMs));
  return reply ? parse_online_count_reply(*reply) : std::nullopt;
}

std::string login_failure_text(int result, int reason) {
  switch (result) {
    case kLoginTooLong: return "로그인실패: ID가 15자가 넘었거나 또는 Password가 15자가 넘습니다.";
    case kLoginNoConnection: return "로그인실패: 서버로 접속할 수 없습니다.";
    case kLoginNotAuthenticated: return "로그인실패: 인증에 실패하였습니다.";
    case kLoginDuplicate: return "";
    case kLoginServerFull: return "로그인실패: 서버허용인원수를 초과하였습니다.";
    case kLoginWrongVersion: return "버전이 틀립니다. 완전종료후 다시 시작하여 새로운 버전으로 패치하시기 바랍니다.";
    case kLoginFailed:
      if (reason >= 10 && reason <= 19) return "로그인실패: 디비접속 실패";
      if (reason == kReasonWrongPassword) return "로그인실패: 암호가 일치하지않습니다. 암호를 확인하세요.";
      if (reason == kReasonWarned) return "로그인실패: 경고된 사용자입니다.";
      if (reason >= 20 && reason <= 29) return "로그인실패: 가입된 사용자가 아닙니다.";
      return "로그인실패: 에러가 발생하였습니다.";
    default: return "로그인실패: 에러가 발생하였습니다.";
  }
}

}  // namespace dovel::service
