#include "central/file_index_server.h"

#include "service/auth_messages.h"

namespace dovel::central {
namespace {

// Port, count, 1000 keys of 16 bytes, the closing zero.
constexpr size_t kMaxIndexPayload = 4 + 16 * service::kMaxAnnouncedFiles + 1;

}  // namespace

size_t FileIndexHandler::max_payload() const { return kMaxIndexPayload; }

ConnectionHandler::Next FileIndexHandler::on_frame(Connection& connection, const service::Frame& frame) {
  switch (frame.type) {
    case service::kAnnounceType: announce(connection, frame.payload); break;
    case service::kSourceLookupType: look_up(connection, frame.payload); break;
    case service::kKeepAliveType: connection.log("keep-alive", "-"); break;
    default: connection.log("type " + std::to_string(frame.type), "ignored"); break;
  }
  return Next::Continue;
}

void FileIndexHandler::announce(Connection& connection, std::string_view payload) {
  std::optional<service::Announcement> announcement = service::parse_announcement(payload);
  const bool accepted = announcement && announcement->port != 0;
  if (accepted) {
    index_.announce(holder_, {connection.peer().address, announcement->port}, announcement->hashes);
    if (!announced_) held_id_ = held_.add(connection.peer().address, connection.outbox());
    announced_ = true;
  }
  connection.log("announce", accepted ? "21 " + std::to_string(announcement->hashes.size()) + " files on port " + std::to_string(announcement->port)
                                      : "22 malformed");
  connection.send(service::build_announce_reply(accepted));
}

void FileIndexHandler::look_up(Connection& connection, std::string_view payload) {
  std::optional<std::string> hash = service::parse_source_lookup(payload);
  std::vector<service::Source> sources = hash ? index_.sources(*hash, service::kMaxSources) : std::vector<service::Source>{};
  connection.log("source-lookup", hash ? *hash + " " + std::to_string(sources.size()) + " sources" : "malformed, no sources");
  connection.send(service::build_source_reply(hash.value_or(""), sources));
}

void FileIndexHandler::on_end(Connection& connection) {
  if (!announced_) return;
  held_.remove(held_id_);
  index_.withdraw(holder_);
  connection.log("announce", "ended with its connection");
}

}  // namespace dovel::central
