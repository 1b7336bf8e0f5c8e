#include "search/resultstore.h"

namespace velkan::search {

const SearchResult* ResultStore::Add(const SearchResult::Fields& fields)
{
    const std::size_t bytes = SearchResult::StorageBytes(fields);
    if (bytes > m_room) {
        // Whatever is left of the old block stays unused: no record is split.
        m_blocks.push_back(std::make_unique_for_overwrite<std::byte[]>(kBlockBytes));
        m_free = m_blocks.back().get();
        m_room = kBlockBytes;
    }
    const SearchResult* record = SearchResult::ConstructAt(m_free, fields);
    m_free += bytes;
    m_room -= bytes;
    ++m_count;
    return record;
}

} // namespace velkan::search
