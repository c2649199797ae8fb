#include "search/result_sort.h"

#include <algorithm>

#include "settings/setting_table.h"

namespace dovel::search {
namespace {

// The last row of the sort box sorts nothing.
constexpr int kNoSortIndex = 4;
static_assert(static_cast<int>(settings::kAutoSort.range->high) == kNoSortIndex);

// <0 when a comes first in the first direction, >0 when b does, 0 when equal.
template <typename Value>
int larger_first(const Value& a, const Value& b) {
  return a > b ? -1 : (a < b ? 1 : 0);
}
template <typename Value>
int smaller_first(const Value& a, const Value& b) {
  return -larger_first(a, b);
}

int directed(int comparison, bool reversed) { return reversed ? -comparison : comparison; }

int primary(const ResultRow& a, const ResultRow& b, SortColumn column) {
  switch (column) {
    case SortColumn::Name:
      return smaller_first(a.name, b.name);
    case SortColumn::Size:
      return larger_first(a.size, b.size);
    case SortColumn::Sources:
      return larger_first(a.sources.size(), b.sources.size());
    case SortColumn::ResponseTime:
      return larger_first(a.fastest_ms, b.fastest_ms);
    case SortColumn::FileHash:
      return smaller_first(a.hash, b.hash);
  }
  return 0;
}

// What decides between rows equal in the sorted column; not turned round with it.
int tie_break(const ResultRow& a, const ResultRow& b, SortColumn column) {
  switch (column) {
    case SortColumn::Size:
    case SortColumn::Sources:
      return smaller_first(a.fastest_ms, b.fastest_ms);
    case SortColumn::ResponseTime:
      return larger_first(a.sources.size(), b.sources.size());
    default:
      return 0;
  }
}

bool without_file_id(const ResultRow& row) { return row.size == 0 || row.hash.empty(); }

int compare(const ResultRow& a, const ResultRow& b, const SortOrder& order) {
  if (order.column == SortColumn::FileHash && without_file_id(a) != without_file_id(b)) return without_file_id(a) ? 1 : -1;
  if (order.column == SortColumn::FileHash && without_file_id(a)) return 0;
  if (const int first = directed(primary(a, b, order.column), order.reversed); first != 0) return first;
  return tie_break(a, b, order.column);
}

}  // namespace

SortOrder after_header_click(const std::optional<SortOrder>& current, SortColumn clicked) {
  if (current && current->column == clicked) return {clicked, !current->reversed};
  return {clicked, false};
}

std::optional<SortColumn> auto_sort_column(int auto_sort_index) {
  if (auto_sort_index < 0 || auto_sort_index >= kNoSortIndex) return std::nullopt;
  return static_cast<SortColumn>(auto_sort_index);
}

void sort_rows(std::vector<ResultRow>& rows, const SortOrder& order) {
  std::stable_sort(rows.begin(), rows.end(), [&order](const ResultRow& a, const ResultRow& b) { return compare(a, b, order) < 0; });
}

}  // namespace dovel::search
