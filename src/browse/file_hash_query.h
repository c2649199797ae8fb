#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/socket.h"
#include "platform/stop_signal.h"

namespace dovel::browse {

// The whole exchange may take this long: the server may hash the file first.
inline constexpr int kFileHashQueryTimeoutMs = 20000;

// A file a search listed without its FileHash, where its server keeps it.
struct FileHashQuery {
  std::string path;       // the folder inside the share, as the search result gave it
  std::string file_name;  // with its extension
  int64_t size = 0;
  int share_index = 0;
};

// Asks the share server at address:port for the file's FileHash over the side
// channel ("H" path|name|size|index). nullopt when the server does not answer
// with one within `timeout_ms` (or before `stop`, when given), or the names
// have no form a server reads. Blocking: call it off the GUI thread.
std::optional<std::string> query_file_hash(platform::Ipv4 address, uint16_t port, const FileHashQuery& query,
                                           int timeout_ms = kFileHashQueryTimeoutMs, platform::Ipv4 bind_address = 0,
                                           platform::StopSignal* stop = nullptr);

}  // namespace dovel::browse
