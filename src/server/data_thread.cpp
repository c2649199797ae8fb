#include "server/data_thread.h"

#include <optional>
#include <string>

#include "core/message_ids.h"
#include "server/data_evaluation.h"
#include "server/upload_log.h"
#include "server/upload_monitor.h"
#include "server/upload_stream.h"
#include "util/little_endian.h"
#include "util/log_files.h"
#include "wire/data_reply.h"
#include "wire/info_block.h"

namespace dovel::server {
namespace {

// Counts the thread among the running uploads for as long as it lives.
class RunningUpload {
 public:
  explicit RunningUpload(core::TransferMeter& meter) : meter_(meter) { ++meter_.running_uploads; }
  ~RunningUpload() { --meter_.running_uploads; }
  RunningUpload(const RunningUpload&) = delete;
  RunningUpload& operator=(const RunningUpload&) = delete;

 private:
  core::TransferMeter& meter_;
};

DataVerdict read_and_evaluate(ShareServerContext& context, DataConnectionList& list, DataConnection& connection,
                              const DataThreadOptions& options) {
  std::optional<std::string> frame = wire::read_client_frame(connection.socket->fd(), wire::kMaxDataRequestLength, options.request_read_ms,
                                                       options.request_read_ms);
  if (!frame) {
    DataVerdict unreadable;
    unreadable.status = DataStatus::UnreadableRequest;
    return unreadable;
  }
  connection.request_read = true;
  PeerDatabase database(context.database_file, *context.hashing, [&connection] { return !connection.running; });
  return evaluate_data_request(context, list, connection, database, *frame, options.same_user_wait_ms);
}

std::shared_ptr<UploadProgress> progress_of(const DataConnection& connection, const DataVerdict& verdict) {
  const wire::DataRequest& request = *verdict.request;
  auto progress = std::make_shared<UploadProgress>();
  progress->id = connection.id;
  progress->nickname = request.nickname;
  progress->file_name = verdict.file->file_name;
  progress->hash = verdict.file->hash;
  progress->user_id = request.user_id;
  progress->level = request.level;
  progress->peer_address = request.address;
  progress->peer_port = request.port;
  progress->start = request.start;
  progress->end = request.end;
  progress->current = request.start;
  progress->started_tick = verdict.start_tick;
  return progress;
}

// The information block of an accepted request; nullopt when one of its texts
// cannot go on the wire, and then the file is not served.
std::optional<std::string> info_block_of(const ShareServerContext& context, const ServedFile& file) {
  const service::SessionIdentity owner = context.session->identity();
  return wire::build_info_block({owner.user_id, owner.auth_token_a, owner.auth_token_b, owner.member_level, file.share_index, file.folder_path, file.hash});
}

void upload(ShareServerContext& context, DataConnection& connection, const DataVerdict& verdict, const std::string& info_block,
            const UploadChunking& chunking) {
  const ServedFile& file = *verdict.file;
  if (!connection.socket->send_raw(info_block)) return;

  std::shared_ptr<UploadProgress> progress = progress_of(connection, verdict);
  auto started = std::make_unique<UploadStartedPayload>();
  started->upload = progress;
  if (context.monitor != nullptr) context.monitor->post({core::UM_UPLOAD_STARTED, connection.id, 0, std::move(started)});

  const UploadEnd end = stream_upload(file.disk_path, *connection.socket, *progress, connection.running, *context.meter, chunking, *context.clock);
  connection.socket->shutdown();
  if (context.monitor != nullptr) context.monitor->post({core::UM_UPLOAD_ENDED, connection.id, 0, nullptr});

  // The bytes are already in the meter, chunk by chunk; only the log is left.
  const int64_t transferred = progress->current - progress->start;
  if (ended_normally(end) && transferred >= kLoggedUploadBytes) {
    const platform::Tick elapsed = platform::ticks_between(verdict.start_tick, context.clock->tick());
    util::WriteLog(util::kUploadLog, upload_log_line(progress->nickname, transferred, elapsed, progress->file_name), util::kUploadLogHeader);
  }
}

}  // namespace

void serve_data_connection(ShareServerContext& context, DataConnectionList& list, std::shared_ptr<DataConnection> connection,
                           const DataThreadOptions& options) {
  RunningUpload counted(*context.meter);
  const UploadChunking chunking = upload_chunking(context.settings->values().ultra_turbo);
  std::string send_the_request;
  util::append_u16(send_the_request, 1);
  if (connection->socket->send_raw(send_the_request)) {
    DataVerdict verdict = read_and_evaluate(context, list, *connection, options);
    std::optional<std::string> info_block;
    if (verdict.status == DataStatus::Accepted) {
      info_block = info_block_of(context, *verdict.file);
      if (!info_block) verdict.status = DataStatus::UnknownHash;
    }
    const std::string answer = wire::build_data_reply(static_cast<uint8_t>(verdict.status), verdict.requester_is_friend, verdict.share_flags);
    if (connection->socket->send_raw(answer) && info_block) upload(context, *connection, verdict, *info_block, chunking);
  }
  connection->socket->shutdown();
  list.remove(connection->id);
}

}  // namespace dovel::server
