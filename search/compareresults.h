#pragma once

namespace velkan::search {

class SearchResult;

enum ResultColumn { NickColumn = 0, NameColumn = 1, SizeColumn = 2, DateColumn = 3, SpeedColumn = 4 };
constexpr int kResultColumnCount = 5;

// The order of two rows' records for a column click: negative puts a first. Texts compare as
// unsigned bytes; sizes and speeds answer +1 for equal values in both directions; a missing
// record answers -1.
int CompareResults(const SearchResult* a, const SearchResult* b, int column, bool ascending);

} // namespace velkan::search
