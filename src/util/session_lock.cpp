#include "util/session_lock.h"

namespace dovel::util {

std::recursive_mutex& session_lock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace dovel::util
