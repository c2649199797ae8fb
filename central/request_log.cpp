#include "central/request_log.h"

#include <chrono>
#include <ctime>

#include "base/string_printf.h"
#include "base/text.h"

namespace dovel::central {
namespace {

std::string timestamp() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  ::localtime_r(&seconds, &local);
  return base::string_printf("%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                             local.tm_min, local.tm_sec, static_cast<int>(millis));
}

// A field never breaks the line or the columns, whatever a client sent.
std::string field(std::string_view text) {
  std::string clean(base::utf8_truncate(text, 300));
  for (char& c : clean) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return clean;
}

}  // namespace

RequestLog::RequestLog(const std::filesystem::path& file) : out_(file, std::ios::app | std::ios::binary) {}

void RequestLog::write(std::string_view role, std::string_view peer, std::string_view request, std::string_view result) {
  std::string line = timestamp() + '\t' + field(role) + '\t' + field(peer) + '\t' + field(request) + '\t' + field(result) + '\n';
  std::lock_guard guard(lock_);
  out_ << line;
  out_.flush();
}

}  // namespace dovel::central
