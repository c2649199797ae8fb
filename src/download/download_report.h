#pragma once

#include <cstddef>

#include "service/endpoints.h"
#include "service/report_messages.h"

namespace dovel::download {

// Sends the report of a run to one of the two report endpoints, starting at
// `first` (0 or 1) and trying the other when that one cannot be reached; waits
// at most `answer_ms` for the 2-byte answer, which is discarded. False when
// neither took the report.
bool send_download_report(const service::ServiceEndpoints& endpoints, const service::DownloadReport& report, size_t first, int connect_ms,
                          int answer_ms);

}  // namespace dovel::download
