#pragma once

#include <string_view>

#include "settings/shared_folder.h"
#include "share/file_hash.h"

namespace dovel::share {

// What the share server asks of hashing: whether a full run is active, and one
// file's hash on demand (refused, empty, while a run is active).
class HashService {
 public:
  virtual ~HashService() = default;
  virtual bool active() const = 0;
  virtual FileHash hash_on_demand(std::string_view relative_path, std::string_view file_name, settings::ShareIndex index) = 0;
};

}  // namespace dovel::share
