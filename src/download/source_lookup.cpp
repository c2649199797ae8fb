#include "download/source_lookup.h"

#include <optional>

#include "base/text.h"
#include "service/file_index_client.h"

namespace dovel::download {

std::vector<Source> look_up_sources(const service::ServiceEndpoints& endpoints, const std::string& hash, const Source& own,
                                    const std::function<bool()>& stop) {
  std::vector<Source> found;
  for (size_t server = 0; server < endpoints.source_lookup.size(); ++server) {
    if (stop && stop()) break;
    std::optional<std::vector<service::Source>> answer = service::lookup_sources(endpoints, hash, server);
    if (!answer) continue;
    std::vector<Source> listed;
    for (const service::Source& source : *answer) {
      Source candidate{source.address, source.port, {}};
      if (source.port != 0 && !candidate.same_server(own)) listed.push_back(candidate);
    }
    append_new_sources(found, listed);
  }
  return found;
}

size_t append_new_sources(std::vector<Source>& sources, const std::vector<Source>& found) {
  size_t added = 0;
  for (const Source& candidate : found) {
    bool known = false;
    for (const Source& source : sources) known = known || source.same_server(candidate);
    if (known) continue;
    sources.push_back(candidate);
    ++added;
  }
  return added;
}

bool SourceLookupSchedule::take(const std::string& hash, int64_t now_ms) {
  std::lock_guard guard(lock_);
  const std::string key = base::ascii_lower(hash);
  auto last = last_ms_.find(key);
  if (last != last_ms_.end() && now_ms - last->second < period_ms_) return false;
  last_ms_[key] = now_ms;
  return true;
}

}  // namespace dovel::download
