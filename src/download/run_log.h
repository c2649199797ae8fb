#pragma once

#include <cstdint>
#include <string>

namespace dovel::download {

// The line of one run in the "Download" log: "[일반] %s바이트(%sk), %dk, %s" with
// the bytes of this run (grouped), the same in KB, the average speed in KB/s
// (bytes per second / 1000; 0 when no time passed) and the file name.
std::string download_log_line(int64_t run_bytes, int64_t elapsed_ms, const std::string& file_name);

// Writes it.
void log_download_run(int64_t run_bytes, int64_t elapsed_ms, const std::string& file_name);

}  // namespace dovel::download
