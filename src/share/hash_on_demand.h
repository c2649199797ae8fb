#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "db/database_lock.h"
#include "platform/clock.h"
#include "settings/shared_folder.h"
#include "share/file_hash.h"
#include "share/hash_service.h"
#include "share/hash_settings.h"

namespace dovel::share {

// The FileHash of one shared file that a peer asks for, computed now when the
// table has none. `relative_path` and `file_name` come from the peer: they name a
// file only where the served tree offers one (see ServedTree), a non-empty
// regular file of exactly `size` bytes; anything else gives an empty result, so
// that a hash tells no more than the peer knew. When the file is not in share
// `index`, the other shares that `may_look_in` allows are tried in order with the
// same path. The caller refuses the request while a full run is active.
FileHash hash_on_demand(const HashSettings& settings, const std::filesystem::path& database_file, const platform::Clock& clock,
                        std::string_view relative_path, std::string_view file_name, int64_t size, settings::ShareIndex index,
                        const ShareFilter& may_look_in, const db::GiveUp& give_up);

}  // namespace dovel::share
