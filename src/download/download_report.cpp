#include "download/download_report.h"

#include <optional>
#include <string>

#include "platform/deadline.h"
#include "service/service_socket.h"

namespace dovel::download {

bool send_download_report(const service::ServiceEndpoints& endpoints, const service::DownloadReport& report, size_t first, int connect_ms,
                          int answer_ms) {
  std::optional<std::string> payload = service::build_download_report(report);
  if (!payload) return false;
  for (size_t attempt = 0; attempt < endpoints.report.size(); ++attempt) {
    const service::Endpoint& endpoint = endpoints.report[(first + attempt) % endpoints.report.size()];
    int fd = service::kInvalidSocket;
    if (!service::connect_to_service(fd, endpoints, endpoint, connect_ms)) continue;
    const bool sent = service::send_frame(fd, service::kDownloadReportType, *payload) >= 0;
    if (sent) {
      char answer[2];
      service::receive_exact(fd, answer, sizeof answer, answer_ms, platform::Deadline::after_ms(answer_ms));
    }
    service::close_socket(fd, false);
    if (sent) return true;
  }
  return false;
}

}  // namespace dovel::download
