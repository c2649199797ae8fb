#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/shared_folder.h"

namespace dovel::share {

enum class EntryMode { Add, Modify };

// The checks of a shared-folder entry before it joins the list, first failure
// first; nullopt when it may be stored. In add mode the name (case-sensitive)
// and the folder must not be in `rows` yet.
std::optional<std::string> check_shared_folder_entry(const settings::SharedFolder& entry, const std::vector<settings::SharedFolder>& rows, EntryMode mode);

// The checks of the whole list before it is applied: no folder may be the
// download folder, no folder may be shared twice or lie inside another shared
// folder, and secret folders need the password.
std::optional<std::string> check_shared_folder_list(const std::vector<settings::SharedFolder>& rows, std::string_view down_path,
                                                    std::string_view folder_pass);

// A modified entry needs a new hashing run when its folder, or its friend-only or
// secret flag, changed; a new name or adult flag alone does not.
bool modification_needs_rehash(const settings::SharedFolder& before, const settings::SharedFolder& after);

// "성인", "친구", "비밀" joined by '/' as the list shows the flags.
std::string ShareFlagsText(uint32_t flags);

}  // namespace dovel::share
