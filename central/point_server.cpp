#include "central/point_server.h"

#include <optional>

#include "db/sqlite_error.h"
#include "service/paid_content_messages.h"
#include "service/point_messages.h"

namespace dovel::central {
namespace {

// The largest point request: a tally batch of ten uploaders after its content
// key (103 + 10 * 36 bytes), with room to spare.
constexpr size_t kMaxPointPayload = 512;

struct Grant {
  service::AllowanceReply reply;
  std::string note;
};

Grant decide_allowance(const PointContext& context, const service::AllowanceRequest& request) {
  std::shared_ptr<Session> session = context.sessions.find_by_token_b(request.auth_token_b);
  if (!session) return {{service::kAllowanceStatusRefused, 0}, "2 no session has this token"};
  std::optional<Account> account = context.accounts.find(session->user_id());
  if (!account) return {{service::kAllowanceStatusRefused, 0}, "2 no account " + session->user_id()};
  const bool enough = account->points >= int64_t{request.amount};
  const std::string asked = std::to_string(request.amount) + " of " + std::to_string(account->points) + " for " + account->user_id;
  if (!enough) return {{service::kAllowanceStatusShort, account->points}, "3 not enough points: " + asked};
  return {{service::kAllowanceStatusAllowed, account->points}, "1 " + asked};
}

}  // namespace

size_t PointHandler::max_payload() const { return kMaxPointPayload; }

ConnectionHandler::Next PointHandler::on_frame(Connection& connection, const service::Frame& frame) {
  switch (frame.type) {
    case service::kAllowanceType: return allowance(connection, frame.payload);
    case service::kFalseReportType: return false_reports(connection, frame.payload);
    case service::kContentQueryType: return paid_state(connection, frame.payload);
    default: connection.log("type " + std::to_string(frame.type), "ignored"); return Next::Continue;
  }
}

ConnectionHandler::Next PointHandler::allowance(Connection& connection, std::string_view payload) {
  std::optional<service::AllowanceRequest> request = service::parse_allowance_request(payload);
  Grant grant{{service::kAllowanceStatusRefused, 0}, "2 malformed"};
  if (request) {
    try {
      grant = decide_allowance(context_, *request);
    } catch (const db::SqliteError& error) {
      // Neither a grant nor the account's refusal: the client hears no answer.
      connection.log("allowance", std::string("no answer: ") + error.what());
      return Next::Close;
    }
  }
  connection.log("allowance", grant.note);
  connection.send(service::build_allowance_reply(grant.reply));
  return Next::Continue;
}

ConnectionHandler::Next PointHandler::false_reports(Connection& connection, std::string_view payload) {
  std::optional<std::string> hash = service::parse_false_report_request(payload);
  uint16_t count = 0;
  std::string note = "0 malformed";
  if (hash) {
    try {
      count = context_.false_reports.count(*hash);
      note = std::to_string(count) + " " + *hash;
    } catch (const db::SqliteError& error) {
      note = "0 " + *hash + ": " + error.what();
    }
  }
  connection.log("false-reports", note);
  connection.send(service::build_false_report_reply(count));
  return Next::Continue;
}

ConnectionHandler::Next PointHandler::paid_state(Connection& connection, std::string_view payload) {
  std::optional<service::ContentRequest> request = service::parse_content_request(payload);
  // Every file is free here; a request that cannot be read gets a negative
  // state, which stops the client's download.
  service::ContentAnswer answer;
  answer.status = request ? service::kContentFree : int8_t{-1};
  connection.log("paid-state", request ? "0 free " + request->content_key : "-1 malformed");
  connection.send(*service::build_content_answer(answer));
  return Next::Continue;
}

}  // namespace dovel::central
