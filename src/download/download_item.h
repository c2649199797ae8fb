#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/socket.h"

namespace dovel::download {

// The states of one queued file, in the order the list shows them.
enum class ItemState : int {
  Waiting = 0,       // "대기중": queued, waiting for the scheduler
  Preparing = 1,     // "파일준비": running: checks, paid state, ranges
  Transferring = 2,  // "전송중": running: connections active
  Stopped = 3,       // "중지됨": by the user, an error or at restore; the status code says why
  Moving = 4,        // "이동중": all bytes in, moving into the target folder
  Finished = 5,      // "전송완료"
};

// A server that has the file.
struct Source {
  platform::Ipv4 address = 0;
  uint16_t port = 0;
  std::string peer_id;  // may be empty

  bool same_server(const Source& other) const { return address == other.address && port == other.port; }
};

// One child row: a data connection of a running item, as the list shows it.
struct ConnectionView {
  uint64_t id = 0;
  platform::Ipv4 address = 0;
  uint16_t port = 0;
  int64_t piece_start = 0;
  int64_t piece_end = 0;  // exclusive
  int64_t received_in_piece = 0;
};

// What the list shows of an item at one moment (taken under the item lock).
struct ItemSnapshot {
  std::string hash;
  std::string file_name;
  std::string peer_id;
  ItemState state = ItemState::Waiting;
  int status_code = 0;
  int64_t size = 0;
  int64_t received = 0;
  int active_connections = 0;
  int pending_connections = 0;
  int64_t average_speed = -1;  // bytes per second of this run; -1 when not transferring
  int64_t current_speed = -1;  // bytes per second since the last sample; -1 when not transferring
  std::vector<Source> sources;
  std::vector<ConnectionView> connections;
  std::string target_folder;
  std::string sub_folder;
  std::string download_folder;
  int paid_state = 255;  // 255 = not yet asked
  int64_t price = 0;
  std::string copyright_text;
};

// One queued file. The manager creates it and owns it; a run (the transfer of
// the item) works on it from its own thread. Texts and numbers are guarded by
// `lock` (the item lock); state, status code and the stop request are atomics
// so that the scheduler and the list can read them without it.
struct DownloadItem {
  // Identity: set at creation, never changed afterwards.
  std::string hash;  // FileHash, 32 hex digits (upper or lower case as given)

  mutable std::mutex lock;
  std::string file_name;          // the name the file is saved under (one safe name)
  int64_t size = 0;
  int64_t received = 0;           // bytes already in the temporary file
  int64_t received_at_start = 0;  // `received` when the current run started
  std::string peer_id;            // filled from the first data reply when empty
  std::string folder_password;
  int listing_attributes = 0;     // ShareFlags of the folder it was found in
  int server_share_index = 0;
  std::string server_path;
  std::string download_folder;    // the settings' download folder when the item was made
  std::string sub_folder;         // below the download folder; empty = none
  std::vector<Source> sources;    // the first is the preferred one
  int paid_state = 255;           // 255 = not yet asked
  int64_t price = 0;
  std::string copyright_text;
  std::vector<ConnectionView> connections;  // the active connections, for child rows
  // Runs whose bytes, all in, were not the file, and the servers that sent them.
  int content_mismatches = 0;
  std::vector<Source> excluded_sources;
  int64_t run_start_ms = 0;       // steady milliseconds when the current run started
  int64_t sample_received = 0;    // for the current speed
  int64_t sample_ms = 0;

  std::atomic<int> state{static_cast<int>(ItemState::Waiting)};
  std::atomic<int> status_code{0};
  std::atomic<bool> stop_requested{false};
  std::atomic<int> active_connections{0};
  std::atomic<int> pending_connections{0};
  // Set when the item stopped for a reason a retry cannot mend: the automatic retry leaves it alone.
  std::atomic<bool> retry_barred{false};

  ItemState current_state() const { return static_cast<ItemState>(state.load()); }
  void set_state(ItemState next) { state.store(static_cast<int>(next)); }
};

}  // namespace dovel::download
