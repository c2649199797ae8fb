#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "server/peer_database.h"
#include "settings/shared_folder.h"
#include "share/file_hash.h"
#include "share/hash_service.h"
#include "share/served_tree.h"
#include "wire/data_request.h"

namespace dovel::server {

// The file a download request names, found inside a shared folder.
struct ServedFile {
  std::filesystem::path disk_path;  // resolved below the share's folder
  settings::ShareIndex share_index = -1;
  uint32_t share_flags = 0;
  std::string folder_path;  // inside the share, as the information block carries it
  std::string file_name;
  share::FileHash hash;  // empty when none could be made
};

// Finds the file of a download request among the shared folders as they were
// when the lookup was made. Whatever names the file on disk, the peer's texts or
// a stored row, must be a file that the served tree offers through its share (no
// link, no partial download, nothing of a stricter share), a regular file of
// exactly the requested size; nothing else is ever found.
class DataFileLookup {
 public:
  // Stored hashes are unknown while `database` is not to be had.
  DataFileLookup(share::ServedTree tree, PeerDatabase& database, share::HashService& hashing);

  // By FileHash; when the stored row does not fit, the file the request names is
  // hashed on demand and looked up by that hash.
  std::optional<ServedFile> by_hash(const wire::DataRequest& request);
  // By folder path and name, in the requested share first, then in every share in
  // order; the hash is made on demand unless the request's hash is this file's.
  std::optional<ServedFile> by_path(const wire::DataRequest& request);

 private:
  std::optional<ServedFile> stored_file(std::string_view hash, int64_t size);
  ServedFile served(const share::FileOnDisk& file, std::string folder_path, std::string file_name, share::FileHash hash) const;

  share::ServedTree tree_;
  PeerDatabase& database_;
  share::HashService& hashing_;
};

}  // namespace dovel::server
