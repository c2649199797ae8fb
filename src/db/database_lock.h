#pragma once

#include <mutex>

namespace dovel::db {

// Every use of any connection to the shared-files database, opening included,
// happens under this one lock. A hashing run holds it for its whole walk.
std::recursive_mutex& database_lock();

inline constexpr const char* kDataFileName = "DovelData.dat";
inline constexpr const char* kInfoFileName = "DovelInfo.dat";

}  // namespace dovel::db
