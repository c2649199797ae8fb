#pragma once

#include "central/session_registry.h"
#include "service/auth_messages.h"

namespace dovel::central {

enum class RelayOutcome {
  Delivered,       // queued on the target's session
  SenderNotified,  // the target is not there (or refuses memos): the sender was told
  Dropped,         // nobody to tell, or a text without a wire form
};

// A memo (123): to the target's session when it is online and accepts memos,
// as MEMO from the sender with the sender's label; otherwise the sender gets a
// MSG_NOTICE saying the target cannot receive it.
RelayOutcome relay_memo(const SessionRegistry& sessions, const Session& sender, const service::ChatMessage& memo);

// The notice to a blocked sender (128): delivered to its target as MSG_NOTICE
// when the target is online, whatever its memo switch; dropped otherwise.
RelayOutcome relay_blocked_notice(const SessionRegistry& sessions, const service::ChatMessage& notice);

const char* relay_outcome_text(RelayOutcome outcome);

}  // namespace dovel::central
