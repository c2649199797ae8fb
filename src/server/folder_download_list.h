#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "server/share_place.h"
#include "service/service_session.h"
#include "settings/shared_folder.h"
#include "share/served_tree.h"

namespace dovel::server {

// Most files one folder download lists, by the MaxForFolderDown row (a row
// beyond the list counts as the setting's repair).
inline constexpr std::array<int, 7> kFolderDownloadLimits = {200, 300, 400, 500, 700, 1000, 2000};
int folder_download_limit(uint32_t max_for_folder_down_row);

// The stored hash of a file by name and size ("" when none); no hashing.
using StoredHashLookup = std::function<std::string(const std::string& file_name, int64_t size)>;

struct FolderDownloadRequest {
  settings::ShareIndex index = 0;
  std::vector<std::string> parent;  // folders between the share's top and the folder
  std::string folder_name;
  std::string parent_path;  // the parent as the peer wrote it, sent back
  int limit = 500;
};

// Reads a 'Z' path inside `share` (backslash-separated; one leading backslash
// and a first component naming the share itself are accepted, so that a path
// taken from a listing reaches the same folder). nullopt when it names no folder
// name or leaves the share.
std::optional<FolderDownloadRequest> parse_folder_download_path(std::string_view path, const settings::SharedFolder& share,
                                                                settings::ShareIndex index, int limit);

// The 'Z' answer in wire form (with its terminating zero): the folder's files,
// depth first, at most `limit`, each with its sub-path, name, size and stored
// hash, as far as the served tree offers them through the request's share.
// nullopt when the folder cannot be opened or is not offered.
std::optional<std::string> folder_download_list(const share::ServedTree& tree, const FolderDownloadRequest& request,
                                                const service::SessionIdentity& owner, const StoredHashLookup& stored_hash);

}  // namespace dovel::server
