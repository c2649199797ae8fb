#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/message.h"
#include "platform/clock.h"
#include "platform/socket.h"
#include "server/share_server_settings.h"

namespace dovel::server {

// One running upload as its data thread publishes it; the thread moves `current`.
struct UploadProgress {
  uint64_t id = 0;
  std::string nickname;
  std::string file_name;
  std::string hash;
  std::string user_id;
  int level = 0;
  std::string peer_address;  // as the requester announced it
  uint16_t peer_port = 0;
  int64_t start = 0;
  int64_t end = 0;
  std::atomic<int64_t> current{0};
  platform::Tick started_tick = 0;
};

// One control connection's peer; the session fills it in as the peer says who it is.
class ConnectedPeer {
 public:
  struct Details {
    std::string user_id;
    std::string label;
    int level = 9;
    std::string address;  // as the peer announced it
    uint16_t port = 0;
  };
  ConnectedPeer(uint64_t id, platform::Tick connected_tick) : id_(id), connected_tick_(connected_tick) {}
  uint64_t id() const { return id_; }
  platform::Tick connected_tick() const { return connected_tick_; }
  Details details() const;
  void set_identity(std::string user_id, int level, std::string label);
  void set_address(std::string address);
  void set_port(uint16_t port);

 private:
  uint64_t id_;
  platform::Tick connected_tick_;
  mutable std::mutex lock_;
  Details details_;
};

struct UploadStartedPayload : core::MessagePayload {
  std::shared_ptr<const UploadProgress> upload;
};
struct PeerConnectedPayload : core::MessagePayload {
  std::shared_ptr<const ConnectedPeer> peer;
};
// UM_UPLOAD_ENDED and UM_PEER_DISCONNECTED carry the id in wparam.

// The rows of the upload list and the connection list, as shown.
struct UploadRow {
  uint64_t id = 0;
  std::string nickname;
  std::string file_name;
  std::string requested;  // "%lld K"
  std::string sent;       // "%lld K"
  std::string speed;      // "%.2fK"
  std::string remaining;  // "%02d:%02d:%02d"
  std::string hash;
  std::string encoded_user_id;
  int level = 0;
};
struct PeerRow {
  uint64_t id = 0;
  std::string label;
  std::string connected;  // "%02d:%02d:%02d"
  int level = 9;
};

// The upload monitor's state: who is connected, what is being uploaded, whether
// new uploads are paused and how fast uploads may go. Fed by the connection
// threads' messages; safe to use from any thread.
class UploadMonitor final : public core::MessageTarget {
 public:
  // Bytes per second for the rows of the upload-speed choice ("제한없음", "3000K", ...).
  static constexpr std::array<uint32_t, 6> kUploadLimitRows = {1073741824, 3072000, 1024000, 716800, 512000, 307200};

  UploadMonitor(ShareServerSettings& settings, const platform::Clock& clock = platform::system_clock());

  void post(core::Message message) override;

  std::vector<UploadRow> upload_rows() const;
  std::vector<PeerRow> peer_rows() const;
  std::vector<std::shared_ptr<const ConnectedPeer>> peers() const;
  std::vector<std::shared_ptr<const UploadProgress>> uploads() const;

  // "신규업로드 중지": control connections are told "X_UP", data connections refused.
  bool new_uploads_paused() const { return paused_; }
  void set_new_uploads_paused(bool paused) { paused_ = paused; }

  // The upload-speed row: sets the upload limit the data threads and the status use.
  // A row beyond the list means no limit.
  void select_upload_limit(size_t row);
  size_t upload_limit_row() const { return limit_row_; }

 private:
  ShareServerSettings& settings_;
  const platform::Clock& clock_;
  mutable std::mutex lock_;
  std::map<uint64_t, std::shared_ptr<const UploadProgress>> uploads_;
  std::map<uint64_t, std::shared_ptr<const ConnectedPeer>> peers_;
  std::atomic<bool> paused_{false};
  std::atomic<size_t> limit_row_{0};
};

}  // namespace dovel::server
