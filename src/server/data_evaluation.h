#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/clock.h"
#include "server/data_connections.h"
#include "server/data_file_lookup.h"
#include "server/peer_database.h"
#include "server/data_status.h"
#include "server/share_server_context.h"
#include "wire/data_request.h"

namespace dovel::server {

// What the data thread decided about a download request: the status to answer
// and, when accepted, the request and the file to stream.
struct DataVerdict {
  DataStatus status = DataStatus::BadRequest;
  bool requester_is_friend = false;
  uint32_t share_flags = 0;
  std::optional<wire::DataRequest> request;  // once the text could be parsed
  std::optional<ServedFile> file;      // when accepted
  platform::Tick start_tick = 0;
};

// Checks a download request against the server's rules, the first failing one
// giving the status: parse (5), block list (30), another upload of the same user
// still running after `same_user_wait_ms` (33), more uploads than MaxUpload (3),
// a new download while the same user has another (33), the range (5), the file
// (6 by hash, 5 by path or unknown mode), the folder's access (7, 31, 35), the
// archive filter (39, 40) unless the download resumes or is privileged.
// Records the requester's user ID in `self` once the same-user rules passed.
// The wait ends early when `self` is stopped.
DataVerdict evaluate_data_request(ShareServerContext& context, DataConnectionList& list, DataConnection& self,
                                  PeerDatabase& database, std::string_view request_text, int same_user_wait_ms);

}  // namespace dovel::server
