#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace dovel::service {

// The logged-in user's identity as peers and the service see it.
struct SessionIdentity {
  std::string user_id;
  int32_t member_level = 0;
  std::string member_label;
  std::string auth_token_a;
  std::string auth_token_b;
};

// Everything the login gave, as the rest of the program reads it.
struct SessionRecord {
  SessionIdentity identity;
  std::string password;
  int64_t account_serial = 0;
  uint8_t is_adult = 0;
  uint8_t transfer_flag = 0;
  uint8_t privilege_b = 0;
  uint8_t privilege_a = 0;
  uint8_t warning_level = 0;
  uint8_t suspension_kind = 0;
  uint8_t extra_flag = 0;
  std::string session_note;
  platform::Tick login_tick = 0;
  std::string warning_text;
};

// The session record of the logged-in user, guarded by the session lock. The
// login fills it; the share server, downloads and searches read it. The user ID
// and the password are held in the letter-pair encoding and decoded on each read.
class ServiceSession {
 public:
  SessionIdentity identity() const;
  SessionRecord record() const;
  void set_identity(const SessionIdentity& identity);
  void set_record(const SessionRecord& record);
  void set_warnings(uint8_t warning_level, uint8_t suspension_kind, std::string warning_text);
  // The service stopped the share server: the privileges go with it.
  void clear_privileges();
  void clear();
  bool logged_in() const;

 private:
  SessionRecord record_locked() const;

  std::string encoded_user_id_;
  std::string encoded_password_;
  SessionRecord record_;  // with the ID and password left empty
};

}  // namespace dovel::service
