#pragma once

#include <optional>
#include <vector>

#include "search/result_rows.h"

namespace dovel::search {

// The columns of a result tab, in their order.
enum class SortColumn { Name = 0, Size = 1, Sources = 2, ResponseTime = 3, FileHash = 4 };

// How a tab is sorted: a column, in its first direction or reversed. The first
// direction puts larger numbers first (size, sources, response time) and texts
// (name, FileHash) in ascending byte order.
struct SortOrder {
  SortColumn column = SortColumn::Name;
  bool reversed = false;
  bool operator==(const SortOrder&) const = default;
};

// A click on a column header: another column than the last starts in its first
// direction, the same column turns the direction round.
SortOrder after_header_click(const std::optional<SortOrder>& current, SortColumn clicked);

// The column the automatic sort uses for an AutoSort index: 0..3 name, size,
// sources, response time; 4 (and anything unknown) keeps the order of arrival.
std::optional<SortColumn> auto_sort_column(int auto_sort_index);

// Sorts rows, keeping the order of arrival among equal ones. Equal sizes or
// numbers of sources put the faster response first, equal response times the
// larger number of sources, in either direction; by FileHash, rows of size 0 or
// without a hash come last in either direction.
void sort_rows(std::vector<ResultRow>& rows, const SortOrder& order);

}  // namespace dovel::search
