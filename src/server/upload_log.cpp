#include "server/upload_log.h"

#include <algorithm>
#include <string>

#include "base/string_printf.h"
#include "util/format.h"

namespace dovel::server {

std::string upload_log_line(std::string_view nickname, int64_t transferred, platform::Tick elapsed_ms, std::string_view file_name) {
  const double bytes_per_second = static_cast<double>(transferred) * 1000.0 / std::max<platform::Tick>(elapsed_ms, 1);
  return base::string_printf("%s, %s바이트(%sk), %.02fK, %s", std::string(nickname).c_str(), util::FormatNumber(transferred).c_str(),
                             util::FormatNumber(transferred / 1024).c_str(), bytes_per_second / 1024.0, std::string(file_name).c_str());
}

}  // namespace dovel::server
