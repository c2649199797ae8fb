#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/shared_folder.h"
#include "wire/result_datagram.h"

namespace dovel::wire {

// One record of a result datagram. Texts are UTF-8.
struct ResultRecord {
  std::string name;   // a file's name carries its extension
  int64_t size = 0;
  std::string hash;   // 32 lower-case hexadecimal digits, or empty
  int file_type = 0;  // 1 file, 0 folder
  uint32_t right = 0; // the flags of the responder's shared folder
  // Records without a hash name where the row lies: the folder inside the
  // share and the share's index. Records with a hash leave them empty.
  std::string path;
  settings::ShareIndex share_index = -1;

  bool is_file() const { return file_type == 1; }
  bool operator==(const ResultRecord&) const = default;
};

// A result datagram's payload: the responder's user ID and the records that
// passed the checks (malformed ones are left out and counted).
struct ResultPayload {
  std::string responder_id;
  std::vector<ResultRecord> records;
  size_t dropped_records = 0;
};

// The fixed fields of a result datagram for the search window; nullopt when it
// is none: wrong check byte or type, longer than a responder ever sends, another
// destination, no usable responder address or port.
std::optional<ResultHeader> read_result_header(std::string_view datagram);

// The payload of a datagram that read_result_header accepted, unscrambled and
// split: field 0 the responder's ID, then records "name|size|hash|type|right"
// with a hash, or "name|size||type|right|path|index" without. Every record is
// checked field by field. nullopt when the responder's ID is not a user ID.
std::optional<ResultPayload> read_result_payload(std::string_view datagram);

// One record (CP949, without its closing "*"); nullopt when it is malformed.
std::optional<ResultRecord> parse_result_record(std::string_view record);

}  // namespace dovel::wire
