#pragma once

#include <cstdint>
#include <vector>

#include "db/info_database.h"
#include "download/download_item.h"
#include "download/received_ranges.h"
#include "platform/clock.h"

namespace dovel::download {

// When a run writes its progress: at most once per period of the clock.
class CheckpointTimer {
 public:
  CheckpointTimer(const platform::Clock& clock, int64_t period_ms);
  // More than a period passed since the last checkpoint (or the start).
  bool due() const;
  void passed();

 private:
  const platform::Clock& clock_;
  int64_t period_ms_;
  int64_t last_ms_;
};

// Writes what a later run resumes from: the partial file's bytes reach the
// disk first (fdatasync of `file`), then the item's sources, its progress and
// `missing` (taken before the flush, so every byte it calls received is on
// disk). A crash at any moment leaves either the previous record or this one,
// never a range claimed that holds other bytes. False when the flush failed:
// nothing is recorded then.
bool record_progress(db::InfoDatabase& info, DownloadItem& item, int file, const std::vector<ByteRange>& missing);

// record_progress, then the open transaction of the info database is
// committed and a new one begun, so that the record survives a crash. The
// caller holds a level of that transaction (db::InfoTransaction).
bool checkpoint(db::InfoDatabase& info, DownloadItem& item, int file, const std::vector<ByteRange>& missing);

}  // namespace dovel::download
