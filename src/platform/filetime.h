#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>

namespace dovel::platform {

// 100-nanosecond intervals since 1601-01-01 UTC, the unit peers and stored rows use
// for a file's last-write time.
uint64_t filetime_from_timespec(const timespec& time);

std::optional<uint64_t> last_write_filetime(const std::filesystem::path& path);

}  // namespace dovel::platform
