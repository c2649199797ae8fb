#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace dovel::util {

bool FolderExists(const std::filesystem::path& path);
// Creates every missing folder along the path; an existing folder is success.
bool CreateFolderPath(const std::filesystem::path& path);
// Length of a regular file, 0 when it cannot be opened.
uint64_t FileSize(const std::filesystem::path& path);
// An identifier of the file system holding `path` (0 when unknown).
uint32_t VolumeSerial(const std::filesystem::path& path);

// True when both paths name one folder: links, ".." and trailing separators are
// resolved first (where the case of a name matters, as it does here).
bool SameFolder(std::string_view a, std::string_view b);
// True when `inner` lies below `outer` (and is not the same folder), resolved as SameFolder resolves them.
bool FolderInside(std::string_view inner, std::string_view outer);

// "a//b///c/" -> "a/b/c/": the default folders are built by joining texts.
std::string collapse_doubled_separators(std::string_view path);

}  // namespace dovel::util
