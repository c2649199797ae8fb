#pragma once

#include "central/connection_handler.h"
#include "central/report_store.h"
#include "platform/clock.h"

namespace dovel::central {

// A download-report endpoint's side of one connection: each report is stored
// and answered with 1, or 0 when it is malformed or cannot be stored.
class ReportHandler final : public ConnectionHandler {
 public:
  ReportHandler(ReportStore& reports, const platform::Clock& clock) : reports_(reports), clock_(clock) {}

  Next on_frame(Connection& connection, const service::Frame& frame) override;
  size_t max_payload() const override;
  bool holds_state() const override { return false; }

 private:
  ReportStore& reports_;
  const platform::Clock& clock_;
};

}  // namespace dovel::central
