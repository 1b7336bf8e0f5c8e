#pragma once

#include <cstddef>
#include <span>
#include <type_traits>
#include <utility>

namespace velkan::search {

// Working memory that lives for one sort: at a million rows, tens of megabytes. Fresh pages cost
// the kernel a fault each, and at this size the faults take longer than the sort itself, so
// memory this large is asked for in large pages, all faulted in at once when it is made.
class SortMemory {
public:
    explicit SortMemory(std::size_t bytes);
    ~SortMemory();
    SortMemory(SortMemory&& other) noexcept
        : m_block(std::exchange(other.m_block, nullptr)), m_data(std::exchange(other.m_data, nullptr)),
          m_mappedBytes(std::exchange(other.m_mappedBytes, 0))
    {
    }
    SortMemory& operator=(SortMemory&& other) noexcept
    {
        std::swap(m_block, other.m_block);
        std::swap(m_data, other.m_data);
        std::swap(m_mappedBytes, other.m_mappedBytes);
        return *this;
    }
    SortMemory(const SortMemory&) = delete;
    SortMemory& operator=(const SortMemory&) = delete;

    [[nodiscard]] void* Data() const { return m_data; }

private:
    void* m_block = nullptr;
    void* m_data = nullptr;
    std::size_t m_mappedBytes = 0; // 0 when the block came from the heap
};

// count values of T in SortMemory, left unset.
template <typename T> class SortBuffer {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    explicit SortBuffer(std::size_t count) : m_memory(count * sizeof(T)), m_count(count) {}

    [[nodiscard]] T* data() const { return static_cast<T*>(m_memory.Data()); }
    [[nodiscard]] std::size_t size() const { return m_count; }
    [[nodiscard]] T* begin() const { return data(); }
    [[nodiscard]] T* end() const { return data() + m_count; }
    T& operator[](std::size_t i) const { return data()[i]; }
    [[nodiscard]] std::span<T> Span() const { return {data(), m_count}; }

private:
    SortMemory m_memory;
    std::size_t m_count;
};

} // namespace velkan::search
