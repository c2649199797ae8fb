#pragma once

#include <filesystem>
#include <mutex>
#include <optional>

#include "db/database_lock.h"
#include "db/sqlite3_connection.h"
#include "share/hash_service.h"

namespace dovel::server {

// The shared-files database as one thread serving peers reads it: its own
// connection, opened on first use. A hashing run holds the database lock for
// its whole walk, so a request never waits behind it (it finds nothing
// instead), nor once the thread is stopping: exit, log-out and a restart of
// the server are never held up by a peer's request.
class PeerDatabase {
 public:
  // The connection with the lock held, for one request.
  class Use {
   public:
    Use(std::unique_lock<std::recursive_mutex> lock, db::Sqlite3Connection& connection) : lock_(std::move(lock)), connection_(connection) {}
    db::Sqlite3Connection& connection() { return connection_; }

   private:
    std::unique_lock<std::recursive_mutex> lock_;
    db::Sqlite3Connection& connection_;
  };

  // `stopping` says the serving thread is ending; empty: never.
  PeerDatabase(std::filesystem::path file, const share::HashService& hashing, db::GiveUp stopping = {});
  PeerDatabase(const PeerDatabase&) = delete;
  PeerDatabase& operator=(const PeerDatabase&) = delete;

  // Nullopt while a hashing run is active, once the thread is stopping, or when
  // the database cannot be opened (look-ups then find nothing).
  std::optional<Use> use();

 private:
  std::filesystem::path file_;
  const share::HashService& hashing_;
  db::GiveUp stopping_;
  // Closed with the object and without the database lock: waiting for it there
  // would hold the thread's end up behind a whole hashing run, and the engine's
  // own file locks keep the close safe.
  db::Sqlite3Connection connection_;
};

}  // namespace dovel::server
