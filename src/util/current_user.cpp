#include "util/current_user.h"

#include "util/letter_pair.h"
#include "util/session_lock.h"

namespace dovel::util {
namespace {

std::string& encoded_user_id() {
  static std::string encoded = Encode(kGuestUserId);
  return encoded;
}

}  // namespace

void SetCurrentUserId(std::string_view user_id) {
  std::lock_guard lock(session_lock());
  encoded_user_id() = Encode(user_id);
}

std::string CurrentUserId() {
  std::lock_guard lock(session_lock());
  return Decode(encoded_user_id());
}

bool IsGuest() { return CurrentUserId() == kGuestUserId; }

}  // namespace dovel::util
