#include "server/upload_monitor.h"

#include "base/string_printf.h"
#include "core/message_ids.h"
#include "settings/setting_table.h"
#include "util/letter_pair.h"

namespace dovel::server {
namespace {

static_assert(settings::kLimitUploadSpeed.range->count() == static_cast<int>(UploadMonitor::kUploadLimitRows.size()));

std::string clock_text(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  return base::string_printf("%02d:%02d:%02d", static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                             static_cast<int>(seconds % 60));
}

}  // namespace

ConnectedPeer::Details ConnectedPeer::details() const {
  std::lock_guard guard(lock_);
  return details_;
}

void ConnectedPeer::set_identity(std::string user_id, int level, std::string label) {
  std::lock_guard guard(lock_);
  details_.user_id = std::move(user_id);
  details_.level = level;
  details_.label = std::move(label);
}

void ConnectedPeer::set_address(std::string address) {
  std::lock_guard guard(lock_);
  details_.address = std::move(address);
}

void ConnectedPeer::set_port(uint16_t port) {
  std::lock_guard guard(lock_);
  details_.port = port;
}

UploadMonitor::UploadMonitor(ShareServerSettings& settings, const platform::Clock& clock) : settings_(settings), clock_(clock) {}

void UploadMonitor::post(core::Message message) {
  std::lock_guard guard(lock_);
  switch (message.id) {
    case core::UM_UPLOAD_STARTED:
      if (auto* started = dynamic_cast<UploadStartedPayload*>(message.payload.get()); started && started->upload) {
        uploads_[started->upload->id] = started->upload;
      }
      break;
    case core::UM_UPLOAD_ENDED:
      uploads_.erase(message.wparam);
      break;
    case core::UM_PEER_CONNECTED:
      if (auto* connected = dynamic_cast<PeerConnectedPayload*>(message.payload.get()); connected && connected->peer) {
        peers_[connected->peer->id()] = connected->peer;
      }
      break;
    case core::UM_PEER_DISCONNECTED:
      peers_.erase(message.wparam);
      break;
    default:
      break;
  }
}

std::vector<UploadRow> UploadMonitor::upload_rows() const {
  const platform::Tick now = clock_.tick();
  std::vector<UploadRow> rows;
  std::lock_guard guard(lock_);
  for (const auto& [id, upload] : uploads_) {
    const int64_t current = upload->current;
    const double seconds = platform::ticks_between(upload->started_tick, now) / 1000.0;
    const double speed = seconds > 0 ? static_cast<double>(current - upload->start) / seconds : 0.0;
    const int64_t remaining = speed >= 1.0 ? static_cast<int64_t>(static_cast<double>(upload->end - current) / speed) : 0;
    rows.push_back({id, upload->nickname, upload->file_name,
                    base::string_printf("%lld K", static_cast<long long>((upload->end - upload->start) / 1024)),
                    base::string_printf("%lld K", static_cast<long long>((current - upload->start) / 1024)),
                    base::string_printf("%.2fK", speed / 1024.0), clock_text(remaining), upload->hash, util::Encode(upload->user_id),
                    upload->level});
  }
  return rows;
}

std::vector<PeerRow> UploadMonitor::peer_rows() const {
  const platform::Tick now = clock_.tick();
  std::vector<PeerRow> rows;
  std::lock_guard guard(lock_);
  for (const auto& [id, peer] : peers_) {
    ConnectedPeer::Details details = peer->details();
    rows.push_back({id, details.label, clock_text(platform::ticks_between(peer->connected_tick(), now) / 1000), details.level});
  }
  return rows;
}

std::vector<std::shared_ptr<const ConnectedPeer>> UploadMonitor::peers() const {
  std::lock_guard guard(lock_);
  std::vector<std::shared_ptr<const ConnectedPeer>> result;
  for (const auto& [id, peer] : peers_) result.push_back(peer);
  return result;
}

std::vector<std::shared_ptr<const UploadProgress>> UploadMonitor::uploads() const {
  std::lock_guard guard(lock_);
  std::vector<std::shared_ptr<const UploadProgress>> result;
  for (const auto& [id, upload] : uploads_) result.push_back(upload);
  return result;
}

void UploadMonitor::select_upload_limit(size_t row) {
  const settings::NumberRange& rows = *settings::kLimitUploadSpeed.range;
  if (row > rows.high) row = rows.repaired;
  limit_row_ = row;
  settings_.set_upload_speed_limit(kUploadLimitRows[row]);
}

}  // namespace dovel::server
