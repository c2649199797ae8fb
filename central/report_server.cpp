#include "central/report_server.h"

#include "db/sqlite_error.h"
#include "service/report_messages.h"

namespace dovel::central {
namespace {

// The serial, a few dozen owner IDs, a long file name and two numbers.
constexpr size_t kMaxReportPayload = 4096;

}  // namespace

size_t ReportHandler::max_payload() const { return kMaxReportPayload; }

ConnectionHandler::Next ReportHandler::on_frame(Connection& connection, const service::Frame& frame) {
  if (frame.type != service::kDownloadReportType) {
    connection.log("type " + std::to_string(frame.type), "ignored");
    return Next::Continue;
  }
  std::optional<service::DownloadReport> report = service::parse_download_report(frame.payload);
  bool recorded = false;
  std::string note = "0 malformed";
  if (report) {
    try {
      reports_.add({clock_.unix_seconds(), connection.peer_text(), *report});
      recorded = true;
      note = "1 " + report->file_name;
    } catch (const db::SqliteError& error) {
      note = std::string("0 ") + error.what();
    }
  }
  connection.log("download-report", note);
  connection.send(service::build_report_answer(recorded));
  return Next::Continue;
}

}  // namespace dovel::central
