#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "central/outbox.h"

namespace dovel::central {

// A logged-in user and the way to its session connection.
class Session {
 public:
  Session(std::string user_id, std::string label, std::string auth_token_b, bool accepts_memos, std::shared_ptr<Outbox> outbox);

  const std::string& user_id() const { return user_id_; }  // lower case
  const std::string& label() const { return label_; }
  // The token the login gave out, by which the point servers know the user.
  const std::string& auth_token_b() const { return auth_token_b_; }
  bool accepts_memos() const { return accepts_memos_; }
  void set_accepts_memos(bool accepts) { accepts_memos_ = accepts; }

  // Queues a push (`text` in its wire form); false when the client is not keeping up.
  bool push(uint16_t type, std::string_view text) const;
  // Has the session's connection end in order after what is queued.
  void end_in_order() const { outbox_->request_end(); }

 private:
  std::string user_id_;
  std::string label_;
  std::string auth_token_b_;
  std::atomic<bool> accepts_memos_;
  std::shared_ptr<Outbox> outbox_;
};

// Who is online: one session per ID. Every change of the number of users
// online is pushed (126) to every session, in the order the changes happened.
class SessionRegistry {
 public:
  explicit SessionRegistry(size_t capacity) : capacity_(capacity) {}

  enum class Admission { Admitted, Replaced, Full };
  // Adds the session. An older session of the same ID is ended in order
  // (Replaced); beyond the capacity nobody new is admitted.
  Admission admit(const std::shared_ptr<Session>& session);
  // Removes the session, unless a newer one of its ID has taken its place.
  void remove(const std::shared_ptr<Session>& session);

  std::shared_ptr<Session> find(std::string_view user_id) const;
  // The live session the token was given to; nullptr for an empty or unknown token.
  std::shared_ptr<Session> find_by_token_b(std::string_view auth_token_b) const;
  uint32_t count() const;
  // Queues the push to every session; how many took it.
  size_t push_to_all(uint16_t type, std::string_view text) const;

 private:
  void push_count_locked() const;

  const size_t capacity_;
  // The session lock. Outboxes take their own lock under it, never the other way round.
  mutable std::mutex lock_;
  std::map<std::string, std::shared_ptr<Session>, std::less<>> sessions_;
};

}  // namespace dovel::central
