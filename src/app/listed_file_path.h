#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

namespace dovel::app {

inline constexpr size_t kMaxListedNameBytes = 1024;

// Where the file a remote update list names lies on disk: below the program
// folder, "/" (or "\", which the lists also use) separating folders. The name
// is untrusted: an absolute name (a leading separator or a drive such as
// "C:"), a ":" anywhere, a trailing separator, an empty, "." or ".."
// component, a NUL, more than kMaxListedNameBytes, or a path that leads out of
// the program folder through a symbolic link gives nullopt, decided before the
// disk is touched beyond resolving links. Such a name names no file of this
// installation, and the update check skips it like an element without a name.
std::optional<std::filesystem::path> ListedFilePath(const std::filesystem::path& program_folder, std::string_view name);

}  // namespace dovel::app
