#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dovel::service {

inline constexpr uint16_t kDownloadReportType = ':';

// A finished download, reported so that points move between the users.
struct DownloadReport {
  int64_t account_serial = 0;
  std::vector<std::string> owners;  // user IDs of the serving owners
  std::string file_name;
  int64_t size = 0;
  int64_t received = 0;
};
// The report text in its wire form; nullopt when a text has no CP949 form.
std::optional<std::string> build_download_report(const DownloadReport& report);
std::optional<DownloadReport> parse_download_report(std::string_view payload);
std::string build_report_answer(bool recorded);  // 2 bytes

}  // namespace dovel::service
