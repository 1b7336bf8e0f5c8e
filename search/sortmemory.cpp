#include "search/sortmemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace velkan::search {

namespace {

// A large page, and the least worth mapping: below it the heap serves without new pages.
constexpr std::size_t kLargePage = std::size_t{2} << 20;

} // namespace

SortMemory::SortMemory(std::size_t bytes)
{
    if (bytes < kLargePage) {
        m_block = ::operator new(bytes == 0 ? 1 : bytes);
        m_data = m_block;
        return;
    }
    // One large page more than asked, so that the data can start on a large page's boundary.
    const std::size_t wanted = (bytes + kLargePage - 1) / kLargePage * kLargePage + kLargePage;
    void* block = mmap(nullptr, wanted, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) {
        throw std::bad_alloc();
    }
    m_block = block;
    m_mappedBytes = wanted;
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    m_data = reinterpret_cast<void*>((address + kLargePage - 1) & ~(kLargePage - 1));
    // Where the system gives large pages only on request; a refusal leaves ordinary pages.
    madvise(m_data, wanted - kLargePage, MADV_HUGEPAGE);
    // Faulted in here, in one call: two threads faulting the same mapping page by page wait on
    // each other. A kernel without it refuses, and the pages come on first touch.
    madvise(m_data, wanted - kLargePage, MADV_POPULATE_WRITE);
}

SortMemory::~SortMemory()
{
    if (m_mappedBytes != 0) {
        munmap(m_block, m_mappedBytes);
    } else {
        ::operator delete(m_block);
    }
}

} // namespace velkan::search
