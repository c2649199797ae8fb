#pragma once

#include <vector>

#include "download/download_item.h"

namespace dovel::download {

// An item's sources are unique by address and port, usable (is_usable_source)
// and at most kMaxSources; the first is the preferred one.

// `list` with the sources of `additions` it does not know yet appended.
std::vector<Source> merged_sources(std::vector<Source> list, const std::vector<Source>& additions);

// `list` with `preferred` in front, in their order; an entry of the same
// address and port further down is removed.
std::vector<Source> with_sources_first(const std::vector<Source>& list, const std::vector<Source>& preferred);

}  // namespace dovel::download
