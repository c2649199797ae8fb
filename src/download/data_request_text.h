#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace dovel::download {

// What a single-file download asks of a share server on a data connection.
// Texts are UTF-8 here and travel in their CP949 form.
struct DataRequestFields {
  int share_index = 0;       // the server's share index remembered from a reply; 0 while the hash names the file
  std::string server_path;   // the folder remembered from a reply; empty at first
  std::string user_id;       // the requester
  int member_level = 0;
  std::string hash;          // FileHash
  int64_t size = 0;
  int64_t start = 0;
  int64_t end = 0;           // exclusive
  bool adult = false;
  std::string own_address;   // dotted
  uint16_t own_port = 0;     // the requester's share port
  std::string folder_password;
  std::string file_name;
  bool follow_up = false;    // a further range from the same server right after the previous one
  std::string member_label;
  bool skips_archive_check = false;  // transfer_flag
};

// The client tag the request carries.
inline constexpr const char* kClientTag = "dovel";

// The request text, "0|index|path|id|level|hash|size|start|end|adult|address|port|
// password|name|follow-up|label|dovel|flag", in its wire form. nullopt when a
// text has no CP949 form or holds a '|' or a NUL, which would shift the fields.
std::optional<std::string> build_data_request_text(const DataRequestFields& fields);

}  // namespace dovel::download
