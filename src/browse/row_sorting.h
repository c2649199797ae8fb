#pragma once

#include <vector>

#include "browse/listing_row.h"

namespace dovel::browse {

// The columns the sort box offers, by their index in the list.
enum class SortColumn : int { Name = 0, Size = 1, Time = 2, Attributes = 3 };

// The sort column of a stored sort-box index; unknown indexes sort by name.
SortColumn sort_column_of(int index);

// Sorts by the kind column first (back row, share roots, parent row, folders,
// files, whatever the direction), then by the chosen column: size and time as
// 64-bit numbers, the others as text. Rows that compare equal keep their order.
void sort_rows(std::vector<ListingRow>& rows, SortColumn column, bool ascending);

}  // namespace dovel::browse
