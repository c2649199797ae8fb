#include "service/service_session.h"

#include <mutex>

#include "util/letter_pair.h"
#include "util/session_lock.h"

namespace dovel::service {

SessionIdentity ServiceSession::identity() const {
  std::lock_guard guard(util::session_lock());
  return {util::Decode(encoded_user_id_), member_level_, member_label_, auth_token_a_, auth_token_b_};
}

void ServiceSession::set_identity(const SessionIdentity& identity) {
  std::lock_guard guard(util::session_lock());
  encoded_user_id_ = util::Encode(identity.user_id);
  member_level_ = identity.member_level;
  member_label_ = identity.member_label;
  auth_token_a_ = identity.auth_token_a;
  auth_token_b_ = identity.auth_token_b;
}

void ServiceSession::clear() { set_identity({}); }

}  // namespace dovel::service
