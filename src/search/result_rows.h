#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "service/endpoints.h"
#include "settings/shared_folder.h"

namespace dovel::search {

// One server that answered with a row's file or folder.
struct ResultSource {
  std::string responder_id;
  service::Endpoint server;  // its address and share port
  uint32_t response_ms = 0;
  std::string name;          // the responder's name for it
  uint32_t right = 0;
  // Rows without a hash: the folder inside the share and the share's index.
  std::string path;
  settings::ShareIndex share_index = -1;
};

// A row of a result tab: one FileHash with every server that has it, or one
// record without a hash.
struct ResultRow {
  std::string name;  // as shown: the listed words masked
  int64_t size = 0;
  std::string hash;  // empty for a record without one
  int file_type = 0; // 1 file, 0 folder
  uint32_t fastest_ms = 0;
  std::vector<ResultSource> sources;
};

}  // namespace dovel::search
