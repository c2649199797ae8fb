#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "server/peer_database.h"
#include "settings/shared_folder.h"

namespace dovel::server {

// The stored FileHash of a file known by its name (with extension) and size, in
// any folder of one share (the one the asking peer may see); empty when no row
// has a hash, or while the database is not to be had.
std::string stored_hash_of(PeerDatabase& database, std::string_view file_name, int64_t size, settings::ShareIndex share_index);

// Where the row of a FileHash stands: its share, its folder inside the share and,
// for a directory row, the directory's own name.
struct HashedRow {
  settings::ShareIndex shared_index = 0;
  std::string path;       // folder of the entry, backslash-separated, no leading backslash
  std::string name;       // name without extension (folders: the folder's name)
  std::string extension;  // files only
  bool is_directory = false;
  int64_t size = 0;
  uint32_t right = 0;
};
std::optional<HashedRow> row_of_hash(PeerDatabase& database, std::string_view hash);

}  // namespace dovel::server
