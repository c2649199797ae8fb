#pragma once

#include <mutex>

namespace dovel::util {

// The session lock guards the logged-in user's record, the current user ID and
// the counters shared with the service connections. Recursive: the service
// code takes it again from inside its own callbacks.
std::recursive_mutex& session_lock();

}  // namespace dovel::util
