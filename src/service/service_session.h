#pragma once

#include <cstdint>
#include <string>

namespace dovel::service {

// The logged-in user's identity as peers and the service see it.
struct SessionIdentity {
  std::string user_id;
  int32_t member_level = 0;
  std::string member_label;
  std::string auth_token_a;
  std::string auth_token_b;
};

// The session record of the logged-in user, guarded by the session lock. The
// login fills it; the share server, downloads and searches read it. The user ID
// is held in the letter-pair encoding and decoded on each read.
class ServiceSession {
 public:
  SessionIdentity identity() const;
  void set_identity(const SessionIdentity& identity);
  void clear();

 private:
  std::string encoded_user_id_;
  int32_t member_level_ = 0;
  std::string member_label_;
  std::string auth_token_a_;
  std::string auth_token_b_;
};

}  // namespace dovel::service
