#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/shared_folder.h"

namespace dovel::server {

// A download request frame is 1..1024 bytes.
inline constexpr uint32_t kMaxDataRequestLength = 1024;

inline constexpr int kRequestByHash = 0;  // single files: find the file by its FileHash
inline constexpr int kRequestByPath = 1;  // folder downloads: find it by share, folder and name

// One download request as the requester sent it, its texts converted to UTF-8.
// Numbers that are not numbers become values that fail their checks (-1 for the
// size and offsets, an unknown mode, no share).
struct DataRequest {
  int mode = -1;
  settings::ShareIndex share_index = -1;
  std::string folder_path;  // inside the share, backslash-separated
  std::string user_id;
  int level = 9;  // 1..10
  std::string hash;
  int64_t size = -1;
  int64_t start = -1;
  int64_t end = -1;  // exclusive
  bool adult = false;
  std::string address;  // as the requester announced it
  uint16_t port = 0;
  std::string password;  // for a secret folder
  std::string file_name;
  bool follow_up = false;  // a further range of the same file right after the previous one
  std::string nickname;
  std::string client_tag;
  bool skips_archive_check = false;
};

// Splits the request text (CP949, '|'-separated, cut at a NUL) into its fields.
// nullopt when it has fewer than 12 fields or a text is not valid CP949: a bad
// request either way.
std::optional<DataRequest> parse_data_request(std::string_view wire_text);

// 0 <= start < end <= size.
bool has_valid_range(const DataRequest& request);

// A folder path and file name that a request by path may use: no "./" or ".\\"
// in either, and the name is one shareable name. Where they lead is checked
// against the share on disk afterwards.
bool names_plain_file(const DataRequest& request);

// 32 hex digits; anything else never matches a stored hash.
bool is_file_hash(std::string_view text);

}  // namespace dovel::server
