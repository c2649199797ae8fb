#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "central/central_database.h"

namespace dovel::central {

struct FalseReportCount {
  std::string hash;  // 32 lower-case hex digits
  uint16_t count = 0;
};

// How many users reported a file (by its hash) as not being what its name
// says. The operator sets the counts; the point servers answer them.
// Database failures are thrown (db::SqliteError).
class FalseReportStore {
 public:
  explicit FalseReportStore(CentralDatabase& database) : database_(database) {}

  // Sets the count of `hash` (0 removes it); false when `hash` is not 32 hex digits.
  bool set(std::string_view hash, uint16_t count);
  // 0 for a hash nobody reported (or one that is not 32 hex digits).
  uint16_t count(std::string_view hash);
  std::vector<FalseReportCount> list();

 private:
  CentralDatabase& database_;
};

}  // namespace dovel::central
