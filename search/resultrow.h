#pragma once

#include <cstdint>

namespace velkan::search {

class SearchResult;

// A list row: a folder row and the file row after it point at the same record. A million of
// them are held, so a row takes 12 bytes: the picture index shares its word with the kind, and
// the record's address needs no more than the word's alignment.
#pragma pack(push, 4)
struct ResultRow {
    enum class Kind : std::uint8_t { Folder, File };

    constexpr ResultRow() = default;
    // picture: -1 (none) or an index of the list's pictures, one per file type met: far fewer
    // than the 2^30 that 31 bits hold.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
    constexpr ResultRow(const SearchResult* row, std::int32_t picture, Kind rowKind)
        : record(row), image(picture), kind(rowKind)
    {
    }
#pragma GCC diagnostic pop

    const SearchResult* record = nullptr;
    std::int32_t image : 31 = -1;
    Kind kind : 1 = Kind::File;
};
#pragma pack(pop)

static_assert(sizeof(ResultRow) == 12);

} // namespace velkan::search
