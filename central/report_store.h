#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "central/central_database.h"
#include "service/report_messages.h"

namespace dovel::central {

struct StoredReport {
  int64_t reported_at = 0;  // seconds since 1970
  std::string reporter;     // the address the report came from
  service::DownloadReport report;
};

// The download reports, as clients send them at the end of a download.
class ReportStore {
 public:
  explicit ReportStore(CentralDatabase& database) : database_(database) {}

  void add(const StoredReport& report);  // throws db::SqliteError
  std::vector<StoredReport> list();

 private:
  CentralDatabase& database_;
};

}  // namespace dovel::central
