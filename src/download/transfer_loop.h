#pragma once

#include <poll.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "download/charge_rule.h"
#include "download/download_item.h"
#include "download/received_ranges.h"
#include "download/run_checkpoint.h"
#include "download/run_signals.h"
#include "download/status_codes.h"
#include "download/transfer_context.h"
#include "wire/data_reply.h"
#include "wire/data_request.h"

namespace dovel::download {

// At most this many connections of one item are active at once (with several
// connections per download); a further request is refused from this many on.
inline constexpr int kMostActiveConnections = 5;
inline constexpr int kMostConnectionRequests = 6;
// Each receive takes at most this much.
inline constexpr size_t kReceiveSize = 8192;
// A pacing wait shorter than this is not slept (the next chunk waits for it).
inline constexpr int kLeastThrottleMs = 3;

// A connection that ended because its piece is complete.
inline constexpr int kPieceDone = 0;

// What one transfer works with, prepared by the run.
struct LoopSetup {
  int file = -1;                      // the partial file, open for reading and writing
  std::filesystem::path file_path;    // the same, for the archive check
  ReceivedRanges* ranges = nullptr;
  std::vector<Source> sources;        // the servers this run may use, in order
  int max_active = 1;                 // 5 with several connections per download, else 1
  bool privileged = false;            // transfer_flag: no name filter, no archive check
  bool paid = false;                  // charges go to the file's pair tally
  platform::Ipv4 own_address = 0;     // no charge for this client's own server
  wire::DataRequest request;          // what every request of the item says
};

enum class LoopResult {
  Complete,          // every byte is in, and the file is the one its FileHash names
  Incomplete,        // stopped, or no connection left with pieces missing
  ForbiddenArchive,  // the archive check found a forbidden entry
  WrongContent,      // every byte is in, but the file is not the one its FileHash names
};

// The transfer of one item: data connections to the sources, the pieces split
// between them, the bytes written where they belong. One poll serves the
// item's sockets and its control event; everything runs on the calling thread.
class TransferLoop {
 public:
  TransferLoop(const TransferContext& context, DownloadItem& item, std::shared_ptr<RunSignals> run_signals, LoopSetup setup);
  ~TransferLoop();
  TransferLoop(const TransferLoop&) = delete;
  TransferLoop& operator=(const TransferLoop&) = delete;

  // Requests the first connections and serves them until none is left, the
  // run is stopped or the file is complete.
  LoopResult run();

  // The serving owners (user ID -> auth_token_a) of this run, for the report.
  const std::map<std::string, std::string>& serving_owners() const { return charges_.owners; }
  // The servers that sent bytes into the file during this run.
  const std::vector<Source>& serving_sources() const { return serving_sources_; }

 private:
  enum class Phase { Reply, InformationBlock, Data };
  struct Connection;
  struct Requested {
    Source source;
    bool follow_up = false;
  };
  void serve_once();
  int poll_timeout_ms() const;
  int64_t now_ms() const;
  void set_deadline(Connection& connection, int wait_ms) const;
  void take_ready_connections();
  void activate(std::unique_ptr<Connection> connection);
  bool send_request(Connection& connection, const ByteRange& piece);
  void serve(ConnectionId id);
  void read_head(Connection& connection);
  void on_reply(Connection& connection);
  void on_information_block(Connection& connection);
  void receive_data(Connection& connection);
  bool write_received(Connection& connection, size_t count);
  // The download limit in bytes per second; 0: none.
  uint64_t download_limit() const;
  void throttle(size_t written);
  void expire_deadlines();
  void checkpoint_when_due();

  bool request_connection(const Source& source, bool follow_up);
  std::optional<Source> next_unused_source();
  void note_moved_source(const Source& requested, const Source& reached);
  Connection* find_active(ConnectionId id);
  std::unique_ptr<Connection> take_active(ConnectionId id);
  void end_connection(std::unique_ptr<Connection> connection, int code, bool may_continue = true);
  void charge(const Connection& connection, int code);
  bool continue_after(const Connection& connection, int code);
  void stop_every_connection();
  void last_connection_ended();
  bool content_matches_hash();
  void hand_over_charges();
  void publish_connections();

  const TransferContext& context_;
  DownloadItem& item_;
  std::shared_ptr<RunSignals> signals_;
  LoopSetup setup_;
  ReceivedRanges& ranges_;
  std::string file_name_;
  std::string hash_;

  struct TrackedSource {
    Source source;
    bool used = false;
  };
  std::vector<TrackedSource> tracker_;
  std::vector<Source> serving_sources_;
  std::vector<std::unique_ptr<Connection>> active_;
  std::map<ConnectionId, Requested> pending_;
  ConnectionId next_id_ = 1;
  std::vector<pollfd> poll_set_;
  std::vector<char> buffer_;
  CheckpointTimer checkpoints_;
  RunCharges charges_;
  bool ended_ = false;
  std::optional<LoopResult> verdict_;
};

}  // namespace dovel::download
