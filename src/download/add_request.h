#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "download/download_item.h"

namespace dovel::download {

// What every place that offers a file (browsing, search results, links) hands
// to the download queue.
struct AddRequest {
  std::string hash;  // FileHash: 32 hex digits
  std::string file_name;
  int64_t size = 0;
  std::vector<Source> sources;
  int listing_attributes = 0;  // ShareFlags of the folder it was found in
  std::string folder_password;
  std::string sub_folder;  // below the download folder; empty = none
  std::string peer_id;     // the serving user's ID when known
  bool switch_to_downloads = false;
};

// The most sources an item keeps; the transfer uses at most five at once.
inline constexpr size_t kMaxSources = 100;
// The widths of the queue's [id] and [pass] columns.
inline constexpr size_t kMaxPeerIdBytes = 50;
inline constexpr size_t kMaxPasswordBytes = 50;


// A source a connection can be made to: an address and a port that are not 0,
// and a peer ID of a sane length without control characters.
bool is_usable_source(const Source& source);

}  // namespace dovel::download
