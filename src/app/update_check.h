#pragma once

#include <filesystem>
#include <optional>

#include "app/update_host.h"
#include "app/update_list.h"

namespace dovel::app {

// The first file of the remote list that is out of date, visiting the list in
// order; nullopt when none is. An element without a name, or with a name that
// names no file below the program folder (ListedFilePath), is skipped. A file
// is out of date when the local list does not hold its version or a newer one
// (IsFileCurrent), or, unless its check_size is exactly "false", when it is
// missing or empty on disk. The version test comes first.
std::optional<ListedFile> FirstOutOfDateFile(const UpdateList& remote_list, const std::optional<UpdateList>& local_list,
                                             const std::filesystem::path& program_folder);

// The update check at start-up: fetches the update list from the update host
// (UpdateListUrl of UpdateBaseUrl) and compares it with the program folder's
// "update.xml" and the files on disk. True when at least one file needs an
// update. A list that cannot be fetched within the time limit or read means no
// update; a missing local list makes every named file out of date.
bool CheckForUpdate(const UpdateHost& host, const std::filesystem::path& program_folder);

}  // namespace dovel::app
