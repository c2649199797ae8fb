#include "service/service_session.h"

#include <mutex>

#include "util/letter_pair.h"
#include "util/session_lock.h"

namespace dovel::service {

SessionRecord ServiceSession::record_locked() const {
  SessionRecord record = record_;
  record.identity.user_id = util::Decode(encoded_user_id_);
  record.password = util::Decode(encoded_password_);
  return record;
}

SessionIdentity ServiceSession::identity() const {
  std::lock_guard guard(util::session_lock());
  return record_locked().identity;
}

SessionRecord ServiceSession::record() const {
  std::lock_guard guard(util::session_lock());
  return record_locked();
}

void ServiceSession::set_identity(const SessionIdentity& identity) {
  std::lock_guard guard(util::session_lock());
  encoded_user_id_ = util::Encode(identity.user_id);
  record_.identity = identity;
  record_.identity.user_id.clear();
}

void ServiceSession::set_record(const SessionRecord& record) {
  std::lock_guard guard(util::session_lock());
  record_ = record;
  encoded_user_id_ = util::Encode(record.identity.user_id);
  encoded_password_ = util::Encode(record.password);
  record_.identity.user_id.clear();
  record_.password.clear();
}

void ServiceSession::set_warnings(uint8_t warning_level, uint8_t suspension_kind, std::string warning_text) {
  std::lock_guard guard(util::session_lock());
  record_.warning_level = warning_level;
  record_.suspension_kind = suspension_kind;
  record_.warning_text = std::move(warning_text);
}

void ServiceSession::clear_privileges() {
  std::lock_guard guard(util::session_lock());
  record_.privilege_a = 0;
  record_.privilege_b = 0;
  record_.transfer_flag = 0;
}

void ServiceSession::clear() { set_record({}); }

bool ServiceSession::logged_in() const {
  std::lock_guard guard(util::session_lock());
  return !encoded_user_id_.empty();
}

}  // namespace dovel::service
