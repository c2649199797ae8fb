#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace dovel::util {

inline constexpr std::string_view kSystemLog = "System";
inline constexpr std::string_view kUploadLog = "Upload";
inline constexpr std::string_view kDownloadLog = "Download";
inline constexpr std::string_view kUploadLogHeader = "[시간], [Nick], [용량], [속도], [파일]\r\n\r\n";
inline constexpr std::string_view kDownloadLogHeader = "[시간], [종류], [용량], [속도], [파일]\r\n\r\n";

// The daily log files: <program folder>/Log/<kind>/YYYY-MM-DD.txt, one line per
// event, each starting with the local time. All kinds share one lock.
class LogFiles {
 public:
  LogFiles(std::filesystem::path program_folder, const platform::Clock& clock);

  // Appends "HH:MM:SS  " + line + CRLF to today's file of `kind`; a new file
  // starts with `header`. False when the file cannot be written.
  bool WriteLog(std::string_view kind, std::string_view line, std::string_view header);

  // The system log and the status view: the line goes to the "System" file and,
  // as "\r\n[MM.DD hh:mm:ss] text ", to the status sink when one is connected.
  void LogSystemText(std::string_view text);
  void SetStatusSink(std::function<void(const std::string&)> sink);

  std::filesystem::path file_for(std::string_view kind, const platform::LocalDateTime& when) const;

 private:
  std::filesystem::path folder_;
  const platform::Clock& clock_;
  std::mutex log_lock_;
  std::mutex sink_lock_;
  std::function<void(const std::string&)> status_sink_;
};

// The process-wide log, set up at start (before that, writes go nowhere).
void ConfigureLogFiles(const std::filesystem::path& program_folder, const platform::Clock& clock);
std::shared_ptr<LogFiles> ProcessLog();

bool WriteLog(std::string_view kind, std::string_view line, std::string_view header);
void LogSystem(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace dovel::util
