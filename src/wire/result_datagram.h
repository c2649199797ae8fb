#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/socket.h"
#include "settings/shared_folder.h"

namespace dovel::wire {

// One row of the shared-files table as a search answers it. Texts are UTF-8.
struct ResultRow {
  std::string name;       // without the extension
  std::string hash;       // empty while the file has none
  std::string extension;
  int file_type = 0;      // 1 file, 0 folder
  int64_t size = 0;
  int64_t right = 0;      // the share's flags when the row was written
  std::string path;       // folder inside the share
  settings::ShareIndex shared_index = 0;
};

// The record of a row in CP949, without its closing "*":
// "name|size|hash|type|right", and for a row without hash also "|path|index".
// A file's name carries its extension. nullopt when a text has no CP949 form or
// holds a byte the record uses to separate its fields.
std::optional<std::string> format_result_record(const ResultRow& row);

// Packs records into result payloads of at most kMaxResultDatagram bytes with
// the header: each payload is the responder's user ID, "*", then records each
// followed by "*". Once `full_payloads` payloads were closed because the next
// record did not fit, the payload begun with that record is the last.
class ResultPager {
 public:
  ResultPager(std::string_view responder_id, size_t full_payloads);

  // Adds one record; false once no further record is taken. A record that could
  // never fit in a datagram is left out.
  bool add(std::string_view record);
  // The payloads in order; one without any record is not among them.
  std::vector<std::string> finish();

 private:
  std::string prefix_;
  size_t full_payloads_;
  std::vector<std::string> closed_;
  std::string open_;
  bool done_ = false;
};

// The fixed fields of a result datagram.
struct ResultHeader {
  platform::Ipv4 responder_address = 0;
  uint32_t responder_port = 0;
  std::array<uint8_t, 8> searcher_key{};
  uint32_t search_number = 0;
  uint32_t time_field = 0;
  uint8_t destination = 0;
};

// Header, then the payload scrambled.
std::string build_result_datagram(const ResultHeader& header, std::string_view payload);

}  // namespace dovel::wire
