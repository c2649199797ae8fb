#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "download/download_item.h"
#include "service/endpoints.h"

namespace dovel::download {

// Asks each file-index server which share servers have the file; every server
// found other than `own` (this client's address and share port) is returned
// once. `stop` is looked at between the servers.
std::vector<Source> look_up_sources(const service::ServiceEndpoints& endpoints, const std::string& hash, const Source& own,
                                    const std::function<bool()>& stop);

// Appends the sources not yet in `sources` (same address and port); how many were new.
size_t append_new_sources(std::vector<Source>& sources, const std::vector<Source>& found);

// At most one look-up per file in each period.
class SourceLookupSchedule {
 public:
  explicit SourceLookupSchedule(int64_t period_ms) : period_ms_(period_ms) {}
  // True (and the look-up counted as done now) when the file's last one is a period ago or never was.
  bool take(const std::string& hash, int64_t now_ms);

 private:
  int64_t period_ms_;
  std::mutex lock_;
  std::map<std::string, int64_t> last_ms_;
};

}  // namespace dovel::download
