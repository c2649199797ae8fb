#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browse/content_lists.h"
#include "browse/listing_row.h"

namespace dovel::browse {

// A listing holds at most this many rows; the rest of a longer one is dropped.
inline constexpr size_t kMaxListingRows = 100000;

// What decides which rows are shown.
struct ListingRules {
  bool transfer_flag = false;  // the user's session skips the content lists
  bool magic = false;          // the service's switch: friend-only and secret shares are only masked
  const ContentLists* lists = nullptr;
};

// A folder listing (reply 'L') turned into rows.
struct ListingPage {
  std::string current_path;   // "" at the server's top level, else "\\share\\folder"
  std::string relative_path;  // the current path from its first backslash on
  std::vector<ListingRow> rows;
  // The attribute bits of the last row shown: the listing attributes a file
  // queued from this folder carries.
  std::optional<uint32_t> listing_attributes;
};

// Parses a listing in wire form: records ended by "*", the first the path,
// the others "kind|name|size|time|attributes[|hash]". At the top level a back
// row comes first. A record with too few fields, numbers that are not numbers,
// a name that is not CP949, or a name that could name anything but one entry
// of this folder ("..", "/", "\\", control bytes, ...) is not shown; neither
// is "Thumbs.db" nor what the content lists hide. nullopt when the body is
// empty or its path is not CP949.
std::optional<ListingPage> parse_listing(std::string_view wire_body, const ListingRules& rules);

// The relative path of a current path: from its first backslash on (a single
// backslash when it has none); a path of at most one character stays as it is.
std::string relative_path_of(const std::string& current_path);

}  // namespace dovel::browse
