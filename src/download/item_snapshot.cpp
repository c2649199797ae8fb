#include "download/item_snapshot.h"

#include <mutex>

#include "base/text.h"
#include "download/download_texts.h"

namespace dovel::download {
namespace {

// The target folder as a local path: the download folder, then the sub-folder's components.
std::string target_folder_text(const std::string& download_folder, const std::string& sub_folder) {
  std::string folder = download_folder;
  std::string_view below = base::trim_backslashes(sub_folder);
  if (below.empty()) return folder;
  if (folder.empty() || folder.back() != '/') folder += '/';
  std::string relative(below);
  base::replace_all(relative, "\\", "/");
  return folder + relative;
}

void measure_speeds(DownloadItem& item, int64_t now_ms, int64_t& current_speed, ItemSnapshot& shown) {
  shown.average_speed = bytes_per_second(item.received - item.received_at_start, now_ms - item.run_start_ms);
  const int64_t sample_elapsed = now_ms - item.sample_ms;
  if (sample_elapsed >= kSpeedSampleMs || current_speed < 0) {
    current_speed = bytes_per_second(item.received - item.sample_received, sample_elapsed);
  }
  if (sample_elapsed >= kSpeedSampleMs) {
    item.sample_received = item.received;
    item.sample_ms = now_ms;
  }
  shown.current_speed = current_speed;
}

}  // namespace

ItemSnapshot take_snapshot(DownloadItem& item, int64_t now_ms, int64_t& current_speed) {
  ItemSnapshot shown;
  shown.hash = item.hash;
  shown.state = item.current_state();
  shown.status_code = item.status_code.load();
  shown.active_connections = item.active_connections.load();
  shown.pending_connections = item.pending_connections.load();

  std::lock_guard guard(item.lock);
  shown.file_name = item.file_name;
  shown.peer_id = item.peer_id;
  shown.size = item.size;
  shown.received = item.received;
  shown.sources = item.sources;
  shown.connections = item.connections;
  shown.sub_folder = item.sub_folder;
  shown.download_folder = item.download_folder;
  shown.paid_state = item.paid_state;
  shown.price = item.price;
  shown.copyright_text = item.copyright_text;
  shown.target_folder = target_folder_text(item.download_folder, item.sub_folder);
  if (shown.state == ItemState::Transferring) {
    measure_speeds(item, now_ms, current_speed, shown);
  } else {
    current_speed = -1;
  }
  return shown;
}

}  // namespace dovel::download
