#pragma once

#include <functional>
#include <mutex>

namespace dovel::db {

// Every use of any connection to the shared-files database, opening included,
// happens under this one lock. A hashing run holds it for its whole walk.
std::recursive_mutex& database_lock();

// Says that waiting for the database lock is pointless now.
using GiveUp = std::function<bool()>;

// The database lock for a reader that must not wait behind a hashing run's
// walk: tries until it has the lock or `give_up` says to stop waiting (asked
// before the first try as well). An empty lock when it gave up.
std::unique_lock<std::recursive_mutex> lock_database_unless(const GiveUp& give_up);

inline constexpr const char* kDataFileName = "DovelData.dat";
inline constexpr const char* kInfoFileName = "DovelInfo.dat";

}  // namespace dovel::db
