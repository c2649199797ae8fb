#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace dovel::server {

// Uploads that end normally with at least this many bytes sent get a line in the upload log.
inline constexpr int64_t kLoggedUploadBytes = 1048576;

// "nickname, 1,234,567바이트(1,205k), 98.76K, file name": bytes sent, the same in
// KiB, the average speed in KiB/s over `elapsed_ms` (at least 1 ms).
std::string upload_log_line(std::string_view nickname, int64_t transferred, platform::Tick elapsed_ms, std::string_view file_name);

}  // namespace dovel::server
