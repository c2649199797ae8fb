#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "service/service_session.h"

namespace dovel::download {

// Paid states of a file (as a signed byte; negative = the query failed).
inline constexpr int kFreeFile = 0;
inline constexpr int kPaidFile = 1;
inline constexpr int kPaidBalanceShort = 3;

// What a download asks of the point and paid-content services before it connects.
class PaidContent {
 public:
  virtual ~PaidContent() = default;
  // The file's paid state; nullopt when the service could not be asked.
  virtual std::optional<int> paid_state(const service::SessionIdentity& identity, const std::string& hash) = 0;
  // Whether the user may fetch `megabytes` more chargeable megabytes: negative
  // when the service could not answer, 0 when the points do not suffice.
  virtual int check_allowance(int64_t megabytes) = 0;
  // Charges the paid download of the file; false when that failed.
  virtual bool charge_paid_download(const service::SessionIdentity& identity, const std::string& hash) = 0;
  // A paid file (state 1) the user has confirmed for download.
  virtual bool paid_download_confirmed(const std::string& hash) = 0;
};

}  // namespace dovel::download
