#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/sqlite3_connection.h"

namespace dovel::server {

// Chooses what a keyword search looks up in the name index. A word is looked up
// through the gram of it that the fewest pairs hold; another gram of it only
// when the candidates it would rule out are worth walking its list, since the
// exact LIKE test follows anyway. The counts are remembered (at most `remembered` of them)
// until the full-text table takes in more names; they only steer the choice,
// never what is found. One planner per connection, used by one thread.
class SearchTermPlanner {
 public:
  explicit SearchTermPlanner(size_t remembered = 65536) : remembered_(remembered) {}

  // The MATCH expression for the words (UTF-8) and the extension; nullopt when
  // no word has anything to look up. Throws CppSQLite3Exception.
  // `indexed_up_to` is the name index's mark (NameIndexIndexedUpTo).
  std::optional<std::string> match(db::Sqlite3Connection& data, int64_t indexed_up_to, const std::vector<std::string>& words,
                                   const std::optional<std::string>& extension);

 private:
  int64_t rows_holding(db::Sqlite3Connection& data, const std::string& gram);

  size_t remembered_;
  int64_t indexed_up_to_ = -1;
  std::unordered_map<std::string, int64_t> counts_;
};

}  // namespace dovel::server
