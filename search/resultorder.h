#pragma once

#include "search/resultrow.h"
#include "search/sortmemory.h"

#include <cstdint>
#include <vector>

namespace velkan::search {

// The rows' positions in the order a column click puts them: by the column's key of each
// row's record (CompareResults' keys and directions), rows with equal keys in their present
// order in both directions. Any other column keeps the present order.
SortBuffer<std::uint32_t> ResultOrder(const std::vector<ResultRow>& rows, int column,
                                       bool ascending);

} // namespace velkan::search
