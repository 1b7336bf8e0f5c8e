#include "search/compareresults.h"

#include "search/searchresult.h"

#include <string_view>

namespace velkan::search {

namespace {

int CompareTexts(std::string_view a, std::string_view b, bool ascending)
{
    const int order = a.compare(b); // char_traits<char> compares as unsigned bytes
    const int sign = (order > 0) - (order < 0);
    return ascending ? sign : -sign;
}

template <typename Number> int CompareNumbers(Number a, Number b, bool ascending)
{
    return (ascending ? a < b : a > b) ? -1 : 1;
}

} // namespace

int CompareResults(const SearchResult* a, const SearchResult* b, int column, bool ascending)
{
    if (a == nullptr || b == nullptr) {
        return -1;
    }
    switch (column) {
    case NickColumn:
        return CompareTexts(a->nick(), b->nick(), ascending);
    case NameColumn:
        return CompareTexts(a->path(), b->path(), ascending);
    case DateColumn:
        return CompareTexts(a->date(), b->date(), ascending);
    case SizeColumn:
        return CompareNumbers(a->size, b->size, ascending);
    case SpeedColumn:
        return CompareNumbers(a->speed, b->speed, ascending);
    default:
        return 0;
    }
}

} // namespace velkan::search
