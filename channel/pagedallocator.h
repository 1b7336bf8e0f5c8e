#pragma once

#include <cstddef>
#include <new>
#include <sys/mman.h>

namespace velkan::channel {

// Blocks of kMappedBytes and more are mapped from the system and given back to it when freed;
// smaller ones come from the heap. For buffers that grow large and go: freed into the heap, their
// memory would stay with the process, scattered among what is still in use.
template <typename T> class PagedAllocator {
public:
    using value_type = T;
    static constexpr std::size_t kMappedBytes = 128 * 1024;

    PagedAllocator() = default;
    template <typename U> PagedAllocator(const PagedAllocator<U>&) noexcept {}

    T* allocate(std::size_t count)
    {
        const std::size_t bytes = count * sizeof(T);
        if (bytes < kMappedBytes) {
            return static_cast<T*>(::operator new(bytes));
        }
        void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED) {
            throw std::bad_alloc();
        }
        return static_cast<T*>(block);
    }

    void deallocate(T* block, std::size_t count) noexcept
    {
        const std::size_t bytes = count * sizeof(T);
        if (bytes < kMappedBytes) {
            ::operator delete(block);
        } else {
            ::munmap(block, bytes);
        }
    }

    template <typename U> bool operator==(const PagedAllocator<U>&) const noexcept { return true; }
};

} // namespace velkan::channel
