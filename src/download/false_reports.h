#pragma once

#include <string>

namespace dovel::download {

// Whether the service has false-file reports for a file, for the "AutoStopReported" box.
class FalseReports {
 public:
  virtual ~FalseReports() = default;
  // True when the box is checked and the file has such reports.
  virtual bool stop_for_false_reports(const std::string& hash) = 0;
};

}  // namespace dovel::download
