#pragma once

#include "search/searchresult.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace velkan::search {

// The records of one search, packed one behind another (path and date included) in large
// blocks. A million records cost a few hundred allocations instead of two million, take no
// heap header each, and go back with the blocks, without a destructor run per record. A
// sender's nickname, host and port are kept once for the run of records that share them.
class ResultStore {
public:
    ResultStore() = default;
    ResultStore(ResultStore&&) noexcept = default;
    ResultStore& operator=(ResultStore&&) noexcept = default;

    // The record stays where it is until the store is cleared or destroyed.
    const SearchResult* Add(const SearchResult::Fields& fields);
    [[nodiscard]] std::size_t Count() const { return m_count; }

private:
    // Large enough that the blocks are few, and for many of the longest records.
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

    // Room for bytes (a multiple of the records' alignment) in the current block or a new one.
    void* Take(std::size_t bytes);
    [[nodiscard]] const ResultOrigin& OriginOf(const SearchResult::Fields& fields);

    std::vector<std::unique_ptr<std::byte[]>> m_blocks;
    std::byte* m_free = nullptr;
    std::size_t m_room = 0;
    std::size_t m_count = 0;
    // The origin of the last record: a reply's records follow one another.
    const ResultOrigin* m_lastOrigin = nullptr;
};

} // namespace velkan::search
