#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "search/result_rows.h"
#include "search/result_sort.h"
#include "wire/result_reader.h"

namespace dovel::search {

// Where a record came from.
struct FoundAt {
  std::string responder_id;
  service::Endpoint server;
  uint32_t response_ms = 0;
};

// The rows of one search, grouped by FileHash: records with the same hash join
// one row, every record without a hash makes a row of its own. A server that
// answers again with what it already gave (it was asked through more than one
// list) stays one source; only a faster answer changes its response time.
// Not thread-safe: the search guards it.
class ResultTable {
 public:
  // Rows and sources beyond these are not taken, whatever peers send.
  static constexpr size_t kMaxRows = 20000;
  static constexpr size_t kMaxSourcesPerRow = 1000;

  // Adds a record that the rules let through (see shown_name), shown under
  // `shown_name`; true when the rows changed.
  bool insert(const wire::ResultRecord& record, std::string shown_name, const FoundAt& at);
  // In the order of arrival until sorted.
  const std::vector<ResultRow>& rows() const { return rows_; }
  void sort(const SortOrder& order);
  void clear();

 private:
  bool add_source(ResultRow& row, ResultSource source);
  void index_rows();

  std::vector<ResultRow> rows_;
  std::unordered_map<std::string, size_t> row_of_key_;
};

}  // namespace dovel::search
