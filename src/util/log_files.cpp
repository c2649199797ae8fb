#include "util/log_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <memory>

#include "base/string_printf.h"
#include "base/text.h"
#include "platform/atomic_file.h"

namespace dovel::util {
namespace {

std::mutex& process_log_lock() {
  static std::mutex lock;
  return lock;
}

std::shared_ptr<LogFiles>& process_log() {
  static std::shared_ptr<LogFiles> log;
  return log;
}

}  // namespace

LogFiles::LogFiles(std::filesystem::path program_folder, const platform::Clock& clock)
    : folder_(std::move(program_folder)), clock_(clock) {}

std::filesystem::path LogFiles::file_for(std::string_view kind, const platform::LocalDateTime& when) const {
  return folder_ / "Log" / std::string(base::trim_backslashes(kind)) / base::string_printf("%04d-%02d-%02d.txt", when.year, when.month, when.day);
}

bool LogFiles::WriteLog(std::string_view kind, std::string_view line, std::string_view header) {
  kind = base::trim_backslashes(kind);
  if (kind.empty() || kind.find_first_of("/\\") != std::string_view::npos || kind == "." || kind == "..") return false;
  platform::LocalDateTime now = clock_.local_now();
  std::filesystem::path path = file_for(kind, now);
  std::string entry = base::string_printf("%02d:%02d:%02d  ", now.hour, now.minute, now.second);
  entry.append(line);
  entry += "\r\n";

  std::lock_guard lock(log_lock_);
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
  bool created = fd >= 0;
  if (!created && errno == EEXIST) fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  bool ok = (!created || platform::write_all(fd, header)) && platform::write_all(fd, entry);
  ::close(fd);
  return ok;
}

void LogFiles::LogSystemText(std::string_view text) {
  platform::LocalDateTime now = clock_.local_now();
  std::function<void(const std::string&)> sink;
  {
    std::lock_guard lock(sink_lock_);
    sink = status_sink_;
  }
  if (sink) {
    std::string shown(text);
    sink(base::string_printf("\r\n[%02d.%02d %02d:%02d:%02d] %s ", now.month, now.day, now.hour, now.minute, now.second, shown.c_str()));
  }
  WriteLog(kSystemLog, text, "");
}

void LogFiles::SetStatusSink(std::function<void(const std::string&)> sink) {
  std::lock_guard lock(sink_lock_);
  status_sink_ = std::move(sink);
}

void ConfigureLogFiles(const std::filesystem::path& program_folder, const platform::Clock& clock) {
  std::lock_guard lock(process_log_lock());
  process_log() = std::make_shared<LogFiles>(program_folder, clock);
}

std::shared_ptr<LogFiles> ProcessLog() {
  std::lock_guard lock(process_log_lock());
  return process_log();
}

bool WriteLog(std::string_view kind, std::string_view line, std::string_view header) {
  std::shared_ptr<LogFiles> log = ProcessLog();
  return log != nullptr && log->WriteLog(kind, line, header);
}

void LogSystem(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = base::string_vprintf(format, arguments);
  va_end(arguments);
  if (std::shared_ptr<LogFiles> log = ProcessLog()) log->LogSystemText(text);
}

}  // namespace dovel::util
