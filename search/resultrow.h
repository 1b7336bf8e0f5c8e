#pragma once

#include <cstdint>

namespace velkan::search {

class SearchResult;

// A list row: a folder row and the file row after it point at the same record.
struct ResultRow {
    enum class Kind : std::uint8_t { Folder, File };

    const SearchResult* record = nullptr;
    std::int32_t image = -1;
    Kind kind = Kind::File;
};

} // namespace velkan::search
