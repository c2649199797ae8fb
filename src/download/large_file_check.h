#pragma once

#include <cstdint>
#include <filesystem>

namespace dovel::download {

// Files of this size and more cannot exist on a FAT file system.
inline constexpr int64_t kLargeFileSize = 0xFFFFFFFFLL;

// The statfs type of FAT (msdos, vfat).
inline constexpr int64_t kFatFileSystem = 0x4d44;

// Whether a file of `size` bytes cannot be kept on a file system of `type`.
bool too_large_for(int64_t size, int64_t file_system_type);

// Whether the folder lies on a file system that cannot hold a file of `size`
// bytes. A file system that cannot be told holds it.
bool too_large_for_folder(int64_t size, const std::filesystem::path& folder);

}  // namespace dovel::download
