#include "download/run_checkpoint.h"

#include <unistd.h>

#include <mutex>

#include "download/download_records.h"
#include "download/transfer_context.h"

namespace dovel::download {

CheckpointTimer::CheckpointTimer(const platform::Clock& clock, int64_t period_ms)
    : clock_(clock), period_ms_(period_ms), last_ms_(steady_ms(clock)) {}

bool CheckpointTimer::due() const { return steady_ms(clock_) - last_ms_ > period_ms_; }

void CheckpointTimer::passed() { last_ms_ = steady_ms(clock_); }

namespace {

// What the record holds of the item, taken under the item lock before the
// info-database lock (never both at once).
struct ItemRecord {
  int64_t size = 0;
  std::vector<Source> sources;
  int share_index = 0;
  std::string path;
};

ItemRecord item_record(DownloadItem& item) {
  std::lock_guard guard(item.lock);
  return {item.size, item.sources, item.server_share_index, item.server_path};
}

int64_t received_of(const ItemRecord& record, const std::vector<ByteRange>& missing) {
  int64_t received = record.size;
  for (const ByteRange& range : missing) received -= range.length();
  return received;
}

void write_record(db::InfoDatabase& info, const DownloadItem& item, const ItemRecord& record, const std::vector<ByteRange>& missing) {
  std::lock_guard guard(info.info_lock());
  replace_sources(info, item.hash, record.sources);
  update_progress(info, item.hash, received_of(record, missing), record.share_index, record.path);
  save_ranges(info, item.hash, missing);
}

}  // namespace

bool record_progress(db::InfoDatabase& info, DownloadItem& item, int file, const std::vector<ByteRange>& missing) {
  if (::fdatasync(file) != 0) return false;
  write_record(info, item, item_record(item), missing);
  return true;
}

bool checkpoint(db::InfoDatabase& info, DownloadItem& item, int file, const std::vector<ByteRange>& missing) {
  if (::fdatasync(file) != 0) return false;
  const ItemRecord record = item_record(item);
  std::lock_guard guard(info.info_lock());
  write_record(info, item, record, missing);
  info.InfoCommit();
  info.InfoBegin();
  return true;
}

}  // namespace dovel::download
