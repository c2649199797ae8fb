#include "central/memo_relay.h"

#include "base/string_printf.h"

namespace dovel::central {
namespace {

// A message from the service travels in the sender's place of the 123 text:
// that is the field the client shows for MSG_NOTICE.
std::optional<std::string> service_notice(std::string_view text) {
  return service::build_relayed_memo(service::kServiceNoticeMarker, text, "");
}

}  // namespace

RelayOutcome relay_memo(const SessionRegistry& sessions, const Session& sender, const service::ChatMessage& memo) {
  std::shared_ptr<Session> target = sessions.find(memo.target);
  if (target && target->accepts_memos()) {
    auto text = service::build_relayed_memo(service::kMemoMarker, sender.user_id(), sender.label() + '\x07' + memo.text);
    if (text && target->push(service::kMemoPush, *text)) return RelayOutcome::Delivered;
  }
  auto notice = service_notice(base::string_printf("'%s'님은 접속중이 아니거나 쪽지를 받지 않습니다.", memo.target.c_str()));
  if (notice && sender.push(service::kMemoPush, *notice)) return RelayOutcome::SenderNotified;
  return RelayOutcome::Dropped;
}

RelayOutcome relay_blocked_notice(const SessionRegistry& sessions, const service::ChatMessage& notice) {
  std::shared_ptr<Session> target = sessions.find(notice.target);
  auto text = service_notice(notice.text);
  if (target && text && target->push(service::kMemoPush, *text)) return RelayOutcome::Delivered;
  return RelayOutcome::Dropped;
}

const char* relay_outcome_text(RelayOutcome outcome) {
  switch (outcome) {
    case RelayOutcome::Delivered: return "delivered";
    case RelayOutcome::SenderNotified: return "target away, sender notified";
    case RelayOutcome::Dropped: return "dropped";
  }
  return "";
}

}  // namespace dovel::central
