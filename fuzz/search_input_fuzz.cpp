// What a user types or a dovel:// request carries into a search: the checks and
// the query text built from it. Nothing may crash, and an accepted query text
// must fit its 50-byte field.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/text.h"
#include "search/search_content_lists.h"
#include "search/search_input.h"
#include "wire/search_datagram.h"

// The input is "keyword \n extension"; the first byte sets the flags (hash
// queries allowed, transfer flag, privilege A) and whether a hash list is read
// (the rest split at ",").
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dovel;
  if (size < 1 || size > 4096) return 0;
  const uint8_t flags = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  search::SearchRequest request;
  if ((flags & 8) != 0) {
    request.hashes = base::split(text, ',');
  } else {
    const size_t newline = text.find('\n');
    request.keyword = std::string(text.substr(0, newline));
    if (newline != std::string_view::npos) request.extension = std::string(text.substr(newline + 1));
  }
  request.allow_hash_query = (flags & 1) != 0;
  static const search::PassingSearchContentLists lists;
  const search::PreparedQuery prepared = search::prepare_query(request, {(flags & 2) != 0, (flags & 4) != 0}, lists);
  if (prepared.text && prepared.text->size() > wire::kQueryTextSize) std::abort();
  if (prepared.hashes.size() > search::kMaxSearchHashes) std::abort();
  if (!prepared.ready() && prepared.refusal.empty()) std::abort();
  return 0;
}
