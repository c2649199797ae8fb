#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/message.h"
#include "db/sqlite3_connection.h"
#include "service/endpoints.h"
#include "service/file_index_messages.h"
#include "service/held_connection.h"

namespace dovel::service {

// Large public files are announced to the file index so that downloads find
// more sources.
inline constexpr int64_t kAnnouncedFileSize = 10485760;

// The hashes of the large public files of the shared-files table (at most 1000).
std::vector<std::string> announced_hashes(db::Sqlite3Connection& connection);

// The connection to one file-index server that holds this server's announcement
// while it is open; its end reaches the hub as UM_FILE_INDEX_CLOSED.
class FileIndexClient {
 public:
  FileIndexClient(ServiceEndpoints endpoints, core::MessageTarget* hub, std::function<int()> pick_endpoint);
  FileIndexClient(const FileIndexClient&) = delete;
  FileIndexClient& operator=(const FileIndexClient&) = delete;

  // Announces the hashes with the share port on a new connection (one endpoint,
  // tried twice); true when the file index accepted them.
  bool announce_files(uint16_t share_port, const std::vector<std::string>& hashes);
  bool connected() const;
  bool keep_alive();
  void close();

 private:
  const ServiceEndpoints endpoints_;
  core::MessageTarget* hub_;
  std::function<int()> pick_endpoint_;
  HeldConnection connection_;
};

// The sources of a file that one file-index server knows; nullopt when it could not be asked.
std::optional<std::vector<Source>> lookup_sources(const ServiceEndpoints& endpoints, const std::string& hash, size_t endpoint_index);

}  // namespace dovel::service
