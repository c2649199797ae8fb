#pragma once

#include <string_view>

#include "central/account_store.h"
#include "central/connection_handler.h"
#include "central/false_report_store.h"
#include "central/session_registry.h"

namespace dovel::central {

struct PointContext {
  SessionRegistry& sessions;
  AccountStore& accounts;
  FalseReportStore& false_reports;
};

// A point server's side of one connection: the download allowance from the
// account's point balance (the account known by the auth_token_b of its live
// session), the false-report count of a file, and the paid state of a file,
// which is "free" for every file. Other point requests are ignored for now.
class PointHandler final : public ConnectionHandler {
 public:
  explicit PointHandler(const PointContext& context) : context_(context) {}

  Next on_frame(Connection& connection, const service::Frame& frame) override;
  size_t max_payload() const override;
  bool holds_state() const override { return false; }

 private:
  Next allowance(Connection& connection, std::string_view payload);
  Next false_reports(Connection& connection, std::string_view payload);
  Next paid_state(Connection& connection, std::string_view payload);

  const PointContext& context_;
};

}  // namespace dovel::central
