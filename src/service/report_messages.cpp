#include "service/report_messages.h"

#include "base/text.h"
#include "platform/cp949.h"
#include "util/little_endian.h"

namespace dovel::service {

std::optional<std::string> build_download_report(const DownloadReport& report) {
  std::string text = std::to_string(report.account_serial) + "\x07" + base::join(report.owners, ",") + "\x07" + report.file_name + "\x07" +
                     std::to_string(report.size) + "\x07" + std::to_string(report.received);
  return platform::utf8_to_cp949(text);
}

std::optional<DownloadReport> parse_download_report(std::string_view payload) {
  auto text = platform::cp949_to_utf8(payload);
  if (!text) return std::nullopt;
  std::vector<std::string> fields = base::split(*text, '\x07');
  if (fields.size() != 5) return std::nullopt;
  auto serial = base::parse_int64(fields[0]);
  auto size = base::parse_int64(fields[3]);
  auto received = base::parse_int64(fields[4]);
  if (!serial || !size || !received) return std::nullopt;
  DownloadReport report{*serial, {}, fields[2], *size, *received};
  for (std::string& owner : base::split(fields[1], ',')) {
    if (!owner.empty()) report.owners.push_back(std::move(owner));
  }
  return report;
}

std::string build_report_answer(bool recorded) {
  std::string answer;
  util::append_u16(answer, recorded ? 1 : 0);
  return answer;
}

}  // namespace dovel::service
