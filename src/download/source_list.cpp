#include "download/source_list.h"

#include <algorithm>

#include "download/add_request.h"

namespace dovel::download {
namespace {

bool contains(const std::vector<Source>& list, const Source& source) {
  return std::any_of(list.begin(), list.end(), [&](const Source& known) { return known.same_server(source); });
}

}  // namespace

std::vector<Source> merged_sources(std::vector<Source> list, const std::vector<Source>& additions) {
  for (const Source& source : additions) {
    if (list.size() >= kMaxSources) break;
    if (is_usable_source(source) && !contains(list, source)) list.push_back(source);
  }
  return list;
}

std::vector<Source> with_sources_first(const std::vector<Source>& list, const std::vector<Source>& preferred) {
  std::vector<Source> result = merged_sources({}, preferred);
  return merged_sources(std::move(result), list);
}

}  // namespace dovel::download
