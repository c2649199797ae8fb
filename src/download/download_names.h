#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dovel::download {

// Names a download is saved under come from peers, search results and links;
// the temporary and the final path are built from them, so each must be one
// plain name that cannot lead anywhere else.

// The longest file name kept: "[DOVEL]" in front of it must still fit a file
// name of the file system (255 bytes).
inline constexpr size_t kMaxFileNameBytes = 248;
// The longest sub-folder below the download folder (the width of its column).
inline constexpr size_t kMaxSubFolderBytes = 1024;

// One name: not empty, not "." or "..", valid UTF-8, no "/" or "\\", no
// control character (C0, DEL or C1), at most kMaxFileNameBytes bytes.
bool is_safe_file_name(std::string_view name);

// Empty (no sub-folder), or backslash-separated components that are each a
// safe name (backslashes at either end ignored), at most
// kMaxSubFolderBytes bytes in all.
bool is_safe_sub_folder(std::string_view sub_folder);

// The name as it may appear in a system message: control characters shown as
// '?', cut (at a character boundary) to 255 bytes.
std::string printable_name(std::string_view name);

}  // namespace dovel::download
