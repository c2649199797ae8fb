#include "central/auth_server.h"

#include "central/login_decision.h"
#include "central/memo_relay.h"
#include "central/reply_prefix.h"
#include "service/registration_messages.h"

namespace dovel::central {
namespace {

// A memo: target ID, separator, at most 1024 bytes of text, NUL.
constexpr size_t kMaxAuthPayload = 1100;

std::string login_result_text(const service::LoginReply& reply) {
  return std::to_string(reply.result) + (reply.result == service::kLoginFailed ? "/" + std::to_string(reply.reason) : "");
}

}  // namespace

size_t AuthHandler::max_payload() const { return kMaxAuthPayload; }

ConnectionHandler::Next AuthHandler::on_frame(Connection& connection, const service::Frame& frame) {
  switch (frame.type) {
    case service::kLoginType:
      if (session_) {
        connection.log("login", "ignored, already logged in");
        return Next::Continue;
      }
      return login(connection, frame.payload);
    case service::kDuplicateCheckType: return duplicate_check(connection, frame.payload);
    case service::kOnlineCountType: {
      const uint32_t count = context_.sessions.count();
      connection.log("online-count", std::to_string(count));
      connection.send(service::build_online_count_reply(count));
      return Next::Continue;
    }
    default:
      if (session_) return on_session_frame(connection, frame);
      connection.log("type " + std::to_string(frame.type), "ignored, not logged in");
      return Next::Continue;
  }
}

ConnectionHandler::Next AuthHandler::login(Connection& connection, std::string_view payload) {
  std::optional<service::LoginRequest> request = service::parse_login_request(payload);
  if (!request) {
    service::LoginReply refused;
    refused.result = service::kLoginFailed;
    connection.log("login", "17 malformed request");
    connection.send(with_short_prefix(service::build_login_reply(refused)));
    return Next::Close;
  }
  LoginDecision decision = decide_login(*request, context_.accounts, context_.open_signup);
  std::string note = login_result_text(decision.reply) + " " + request->user_id;
  if (decision.account) {
    auto session = std::make_shared<Session>(decision.account->user_id, decision.account->label, decision.reply.auth_token_b,
                                             request->allow_memo, connection.outbox());
    switch (context_.sessions.admit(session)) {
      case SessionRegistry::Admission::Full:
        decision.reply = service::LoginReply{};
        decision.reply.result = service::kLoginServerFull;
        note = "19 server full " + request->user_id;
        break;
      case SessionRegistry::Admission::Replaced:
        note += ", older session ended";
        session_ = session;
        break;
      case SessionRegistry::Admission::Admitted: session_ = session; break;
    }
  }
  connection.log("login", note);
  // Pushes queued for the new session go out after this reply: only this thread writes the socket.
  connection.send(with_short_prefix(service::build_login_reply(decision.reply)));
  return session_ ? Next::Continue : Next::Close;
}

ConnectionHandler::Next AuthHandler::duplicate_check(Connection& connection, std::string_view payload) {
  std::optional<std::string> id = service::parse_id_request(payload);
  const bool connected = id && context_.sessions.find(*id) != nullptr;
  connection.log("duplicate-check", id ? *id + (connected ? " online" : " offline") : "malformed, answered offline");
  connection.send(service::build_duplicate_check_reply(connected));
  return Next::Continue;
}

ConnectionHandler::Next AuthHandler::on_session_frame(Connection& connection, const service::Frame& frame) {
  switch (frame.type) {
    case service::kKeepAliveType: connection.log("keep-alive", "-"); break;
    case service::kMemoFlagType:
      if (std::optional<bool> accepts = service::parse_switch(frame.payload)) {
        session_->set_accepts_memos(*accepts);
        connection.log("memo-switch", *accepts ? "accepts memos" : "refuses memos");
      } else {
        connection.log("memo-switch", "malformed, ignored");
      }
      break;
    case service::kMemoType:
    case service::kBlockedNoticeType: {
      const char* request = frame.type == service::kMemoType ? "memo" : "blocked-notice";
      std::optional<service::ChatMessage> message = service::parse_chat_message(frame.payload);
      if (!message) {
        connection.log(request, "malformed, ignored");
        break;
      }
      RelayOutcome outcome = frame.type == service::kMemoType ? relay_memo(context_.sessions, *session_, *message)
                                                              : relay_blocked_notice(context_.sessions, *message);
      connection.log(request, std::string("to ") + message->target + ": " + relay_outcome_text(outcome));
      break;
    }
    default: connection.log("type " + std::to_string(frame.type), "ignored"); break;
  }
  return Next::Continue;
}

void AuthHandler::on_end(Connection& connection) {
  if (!session_) return;
  context_.sessions.remove(session_);
  connection.log("session", "ended " + session_->user_id());
}

}  // namespace dovel::central
