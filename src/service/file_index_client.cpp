#include "service/file_index_client.h"

#include "base/string_printf.h"
#include "base/text.h"
#include "core/message_ids.h"
#include "db/database_lock.h"
#include "service/reply_readers.h"
#include "service/service_socket.h"

namespace dovel::service {
namespace {

constexpr int kConnectMs = 5000;
constexpr int kAnnounceReplyMs = 5000;
constexpr int kLookupReadMs = 5000;
constexpr int kLookupMs = 10000;

}  // namespace

std::vector<std::string> announced_hashes(db::Sqlite3Connection& connection) {
  std::vector<std::string> hashes;
  std::lock_guard guard(db::database_lock());
  try {
    db::Sqlite3Query rows = connection.Query(base::string_printf(
        "Select [hash] From [shared_files] Where [file_type]=1 And [hash]<>'' And [size] > %lld And [right] < %d",
        static_cast<long long>(kAnnouncedFileSize), 8));
    for (; !rows.AtEnd() && hashes.size() < kMaxAnnouncedFiles; rows.Next()) {
      const char* hash = rows.Text(0);
      std::string lowered = base::ascii_lower(hash != nullptr ? hash : "");
      if (lowered.size() == 32) hashes.push_back(std::move(lowered));
    }
  } catch (const db::CppSQLite3Exception&) {
  }
  return hashes;
}

FileIndexClient::FileIndexClient(ServiceEndpoints endpoints, core::MessageTarget* hub, std::function<int()> pick_endpoint)
    : endpoints_(std::move(endpoints)), hub_(hub), pick_endpoint_(std::move(pick_endpoint)) {}

void FileIndexClient::close() { connection_.close(); }

bool FileIndexClient::connected() const { return connection_.open(); }

bool FileIndexClient::announce_files(uint16_t share_port, const std::vector<std::string>& hashes) {
  close();
  const size_t index = static_cast<size_t>(((pick_endpoint_ ? pick_endpoint_() : 0) % 3 + 3) % 3);
  const Endpoint& endpoint = endpoints_.file_index[index];
  int fd = kInvalidSocket;
  if (!connect_to_service(fd, endpoints_, endpoint, kConnectMs) &&
      !connect_to_service(fd, endpoints_, endpoint, kConnectMs)) {
    return false;
  }
  platform::UniqueFd connection(fd);
  if (send_frame(fd, kAnnounceType, build_announcement(share_port, hashes)) < 0) return false;
  std::optional<std::string> reply = read_fixed_reply(fd, 5, {kAnnounceReplyMs, platform::Deadline::after_ms(kAnnounceReplyMs)});
  if (!reply || (*reply)[4] != kAnnounceAccepted) return false;
  connection_.hold(std::move(connection), [this](int error) {
    if (hub_ != nullptr) hub_->post({core::UM_FILE_INDEX_CLOSED, static_cast<uint64_t>(error), 0, nullptr});
  });
  return true;
}

bool FileIndexClient::keep_alive() { return connection_.send(0, "P"); }

std::optional<std::vector<Source>> lookup_sources(const ServiceEndpoints& endpoints, const std::string& hash, size_t endpoint_index) {
  if (endpoint_index >= endpoints.source_lookup.size()) return std::nullopt;
  const Endpoint& endpoint = endpoints.source_lookup[endpoint_index];
  int fd = kInvalidSocket;
  if (!connect_to_service(fd, endpoints, endpoint, kConnectMs)) return std::nullopt;
  platform::UniqueFd connection(fd);
  std::string payload = base::ascii_lower(hash);
  payload += '\0';
  if (send_frame(fd, kSourceLookupType, payload) < 0) return std::nullopt;
  std::optional<TypedReply> reply = read_typed_reply(fd, {kLookupReadMs, platform::Deadline::after_ms(kLookupMs)});
  if (!reply || reply->type != kSourceLookupType) return std::nullopt;
  return parse_source_reply(reply->body);
}

}  // namespace dovel::service
