#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/shared_folder.h"

namespace dovel::wire {

inline constexpr int kRequestByHash = 0;  // single files: find the file by its FileHash
inline constexpr int kRequestByPath = 1;  // folder downloads: find it by share, folder and name

// The client tag a request from this program carries.
inline constexpr const char* kClientTag = "dovel";

// One download request, its texts UTF-8. A parsed request's numbers that are not
// numbers become values that fail their checks (-1 for the size and offsets, an
// unknown mode, no share).
struct DataRequest {
  int mode = -1;
  settings::ShareIndex share_index = -1;  // a request by hash sends 0 unless it has no hash
  std::string folder_path;  // inside the share, backslash-separated
  std::string user_id;
  int level = 9;  // 1..10
  std::string hash;
  int64_t size = -1;
  int64_t start = -1;
  int64_t end = -1;  // exclusive
  bool adult = false;
  std::string address;  // the requester's, dotted, as it announces it
  uint16_t port = 0;    // the requester's share port
  std::string password;  // for a secret folder
  std::string file_name;
  bool follow_up = false;  // a further range of the same file right after the previous one
  std::string nickname;
  std::string client_tag = kClientTag;
  bool skips_archive_check = false;
};

// The request text "mode|index|path|id|level|hash|size|start|end|adult|address|
// port|password|name|follow-up|nickname|tag|flag" in its wire form. nullopt for
// an unknown mode, or when a text has no CP949 form or holds a '|' or a NUL,
// which would shift the fields.
std::optional<std::string> build_data_request(const DataRequest& request);

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

}  // namespace dovel::wire
