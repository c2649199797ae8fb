#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string_view>

#include "db/sqlite3_connection.h"

namespace dovel::central {

// The service's SQLite file in its home: accounts with their point balances,
// false-file reports and download reports. One connection, used under the
// database lock by whichever thread needs it; the accounts command line opens
// the same file from its own process.
class CentralDatabase {
 public:
  // Opens (creating when missing) and brings the tables up to date; throws db::SqliteError.
  explicit CentralDatabase(const std::filesystem::path& home);

  // Runs `work` with the connection under the database lock.
  template <typename Work>
  auto with(Work work) {
    std::lock_guard guard(lock_);
    return work(connection_);
  }

 private:
  std::mutex lock_;  // the database lock
  db::Sqlite3Connection connection_;
};

inline constexpr std::string_view kCentralDatabaseFile = "central.db";

// The points every account starts with, so that downloads work out of the box
// (the point servers count one point per chargeable megabyte).
inline constexpr int64_t kDefaultPointBalance = 1000000;

}  // namespace dovel::central
