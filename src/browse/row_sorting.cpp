#include "browse/row_sorting.h"

#include <algorithm>

namespace dovel::browse {
namespace {

// <0, 0, >0 as the chosen column orders a before b.
int compare_column(const ListingRow& a, const ListingRow& b, SortColumn column) {
  switch (column) {
    case SortColumn::Size:
      return a.size < b.size ? -1 : (a.size > b.size ? 1 : 0);
    case SortColumn::Time:
      return a.time < b.time ? -1 : (a.time > b.time ? 1 : 0);
    case SortColumn::Attributes:
      return a.attribute_text.compare(b.attribute_text);
    case SortColumn::Name:
      break;
  }
  return a.shown_name.compare(b.shown_name);
}

}  // namespace

SortColumn sort_column_of(int index) {
  switch (index) {
    case 1:
      return SortColumn::Size;
    case 2:
      return SortColumn::Time;
    case 3:
      return SortColumn::Attributes;
    default:
      return SortColumn::Name;
  }
}

void sort_rows(std::vector<ListingRow>& rows, SortColumn column, bool ascending) {
  std::stable_sort(rows.begin(), rows.end(), [column, ascending](const ListingRow& a, const ListingRow& b) {
    if (const int kind = a.kind.compare(b.kind); kind != 0) return kind < 0;
    const int order = compare_column(a, b, column);
    return ascending ? order < 0 : order > 0;
  });
}

}  // namespace dovel::browse
