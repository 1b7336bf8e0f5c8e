#include "search/resultstore.h"

namespace velkan::search {

namespace {

std::size_t RecordAligned(std::size_t bytes)
{
    return (bytes + alignof(SearchResult) - 1) / alignof(SearchResult) * alignof(SearchResult);
}

} // namespace

void* ResultStore::Take(std::size_t bytes)
{
    if (bytes > m_room) {
        // Whatever is left of the old block stays unused: nothing is split.
        m_blocks.push_back(std::make_unique_for_overwrite<std::byte[]>(kBlockBytes));
        m_free = m_blocks.back().get();
        m_room = kBlockBytes;
    }
    void* taken = m_free;
    m_free += bytes;
    m_room -= bytes;
    return taken;
}

const ResultOrigin& ResultStore::OriginOf(const SearchResult::Fields& fields)
{
    const std::string_view nick = SearchResult::CutNick(fields.nick);
    const std::string_view host = SearchResult::CutHost(fields.host);
    if (m_lastOrigin == nullptr || !m_lastOrigin->Holds(nick, host, fields.port)) {
        void* storage = Take(RecordAligned(ResultOrigin::StorageBytes(nick, host)));
        m_lastOrigin = ResultOrigin::ConstructAt(storage, nick, host, fields.port);
    }
    return *m_lastOrigin;
}

const SearchResult* ResultStore::Add(const SearchResult::Fields& fields)
{
    const ResultOrigin& origin = OriginOf(fields);
    const SearchResult* record = SearchResult::ConstructAt(Take(SearchResult::StorageBytes(fields)), fields, origin);
    ++m_count;
    return record;
}

} // namespace velkan::search
