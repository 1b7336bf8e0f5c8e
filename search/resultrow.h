#pragma once

#include <cstdint>
#include <cstring>

namespace velkan::search {

class SearchResult;

// A record's address kept in four-byte alignment, so that a row holding one takes 12 bytes
// rather than 16. It reads as a plain pointer to the record.
class RecordPointer {
public:
    constexpr RecordPointer() = default;
    RecordPointer(const SearchResult* record) { std::memcpy(m_bytes, &record, sizeof record); }

    operator const SearchResult*() const
    {
        const SearchResult* record = nullptr;
        std::memcpy(&record, m_bytes, sizeof record);
        return record;
    }
    const SearchResult* operator->() const { return *this; }
    const SearchResult& operator*() const { return *static_cast<const SearchResult*>(*this); }

private:
    alignas(4) unsigned char m_bytes[sizeof(const SearchResult*)] = {};
};

// A list row: a folder row and the file row after it point at the same record. A million of
// them are held, so a row takes 12 bytes: the picture index shares its word with the kind.
struct ResultRow {
    enum class Kind : std::uint8_t { Folder, File };

    constexpr ResultRow() = default;
    // picture: -1 (none) or an index of the list's pictures, one per file type met: far fewer
    // than the 2^30 that 31 bits hold.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
    ResultRow(const SearchResult* row, std::int32_t picture, Kind rowKind) : record(row), image(picture), kind(rowKind)
    {
    }
#pragma GCC diagnostic pop

    RecordPointer record;
    std::int32_t image : 31 = -1;
    Kind kind : 1 = Kind::File;
};

static_assert(sizeof(ResultRow) == 12);

} // namespace velkan::search
