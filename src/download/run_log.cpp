#include "download/run_log.h"

#include "base/string_printf.h"
#include "util/format.h"
#include "util/log_files.h"

namespace dovel::download {

std::string download_log_line(int64_t run_bytes, int64_t elapsed_ms, const std::string& file_name) {
  const int64_t bytes_per_second = elapsed_ms > 0 ? run_bytes * 1000 / elapsed_ms : 0;
  return base::string_printf("[일반] %s바이트(%sk), %dk, %s", util::FormatNumber(run_bytes).c_str(), util::FormatNumber(run_bytes / 1024).c_str(),
                            static_cast<int>(bytes_per_second / 1000), file_name.c_str());
}

void log_download_run(int64_t run_bytes, int64_t elapsed_ms, const std::string& file_name) {
  util::WriteLog(util::kDownloadLog, download_log_line(run_bytes, elapsed_ms, file_name), util::kDownloadLogHeader);
}

}  // namespace dovel::download
