#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "settings/shared_folder.h"
#include "share/file_hash.h"

namespace dovel::share {

// The shares a hash on demand may look in when the file is not in the one the
// peer named: those the asking peer may see.
using ShareFilter = std::function<bool(settings::ShareIndex)>;
// For a caller that checks the share of the file found afterwards.
inline bool any_share(settings::ShareIndex) { return true; }

// What the share server asks of hashing: whether a full run is active, and one
// file's hash on demand (refused, empty, while a run is active). A hash is made
// only for a file of exactly the `size` the peer named.
class HashService {
 public:
  virtual ~HashService() = default;
  virtual bool active() const = 0;
  virtual FileHash hash_on_demand(std::string_view relative_path, std::string_view file_name, int64_t size, settings::ShareIndex index,
                                  const ShareFilter& may_look_in) = 0;
};

// Hashing as a quiet program sees it: no run active, nothing hashed on demand.
class IdleHashing final : public HashService {
 public:
  bool active() const override { return false; }
  FileHash hash_on_demand(std::string_view, std::string_view, int64_t, settings::ShareIndex, const ShareFilter&) override { return {}; }
};

}  // namespace dovel::share
