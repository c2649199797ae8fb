#include "server/peer_database.h"

namespace dovel::server {

PeerDatabase::PeerDatabase(std::filesystem::path file, const share::HashService& hashing, db::GiveUp stopping)
    : file_(std::move(file)), hashing_(hashing), stopping_(std::move(stopping)) {}

std::optional<PeerDatabase::Use> PeerDatabase::use() {
  std::unique_lock lock = db::lock_database_unless([this] { return hashing_.active() || (stopping_ && stopping_()); });
  if (!lock.owns_lock()) return std::nullopt;
  if (!connection_.IsOpen()) {
    try {
      connection_.Open(file_);
    } catch (const db::CppSQLite3Exception&) {
      connection_.Close();
      return std::nullopt;
    }
  }
  return Use(std::move(lock), connection_);
}

}  // namespace dovel::server
