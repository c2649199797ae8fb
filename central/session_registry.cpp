#include "central/session_registry.h"

#include "base/text.h"
#include "service/auth_messages.h"
#include "util/little_endian.h"

namespace dovel::central {

Session::Session(std::string user_id, std::string label, std::string auth_token_b, bool accepts_memos, std::shared_ptr<Outbox> outbox)
    : user_id_(std::move(user_id)),
      label_(std::move(label)),
      auth_token_b_(std::move(auth_token_b)),
      accepts_memos_(accepts_memos),
      outbox_(std::move(outbox)) {}

bool Session::push(uint16_t type, std::string_view text) const { return outbox_->post(service::build_push(type, text)); }

SessionRegistry::Admission SessionRegistry::admit(const std::shared_ptr<Session>& session) {
  std::lock_guard guard(lock_);
  auto existing = sessions_.find(session->user_id());
  if (existing != sessions_.end()) {
    existing->second->end_in_order();
    existing->second = session;
    return Admission::Replaced;
  }
  if (sessions_.size() >= capacity_) return Admission::Full;
  sessions_.emplace(session->user_id(), session);
  push_count_locked();
  return Admission::Admitted;
}

void SessionRegistry::remove(const std::shared_ptr<Session>& session) {
  std::lock_guard guard(lock_);
  auto existing = sessions_.find(session->user_id());
  if (existing == sessions_.end() || existing->second != session) return;
  sessions_.erase(existing);
  push_count_locked();
}

std::shared_ptr<Session> SessionRegistry::find(std::string_view user_id) const {
  std::lock_guard guard(lock_);
  auto existing = sessions_.find(base::ascii_lower(user_id));
  return existing == sessions_.end() ? nullptr : existing->second;
}

std::shared_ptr<Session> SessionRegistry::find_by_token_b(std::string_view auth_token_b) const {
  if (auth_token_b.empty()) return nullptr;
  std::lock_guard guard(lock_);
  for (const auto& [id, session] : sessions_) {
    if (session->auth_token_b() == auth_token_b) return session;
  }
  return nullptr;
}

uint32_t SessionRegistry::count() const {
  std::lock_guard guard(lock_);
  return static_cast<uint32_t>(sessions_.size());
}

size_t SessionRegistry::push_to_all(uint16_t type, std::string_view text) const {
  std::lock_guard guard(lock_);
  size_t taken = 0;
  for (const auto& [id, session] : sessions_) taken += session->push(type, text) ? 1 : 0;
  return taken;
}

void SessionRegistry::push_count_locked() const {
  std::string count;
  util::append_u32(count, static_cast<uint32_t>(sessions_.size()));
  for (const auto& [id, session] : sessions_) session->push(service::kOnlineCountPush, count);
}

}  // namespace dovel::central
