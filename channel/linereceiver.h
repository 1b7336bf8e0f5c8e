#pragma once

#include "channel/pagedallocator.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkan::channel {

// Collects the chunks a connection receives and hands out complete lines, ended by "\n" or
// "\r\n" (also when the "\r" and the "\n" arrive in different chunks), one line per call.
// A line that is already complete comes out before any later text; the work per byte is
// constant however the line is split, since the text already searched is never searched again.
class LineReceiver {
public:
    // What a receiver that has handed out everything it held keeps at most for the next line.
    static constexpr std::size_t kKeptCapacity = 64 * 1024;

    // Appends chunk, up to its first zero byte, and returns the first complete line, if any.
    std::optional<std::string> ReceiveLine(std::string_view chunk);

    // Bytes held that have not yet come out as lines.
    [[nodiscard]] std::size_t PendingSize() const { return m_pending.size() - m_start; }
    // The memory that holds them, which is what they cost.
    [[nodiscard]] std::size_t Capacity() const { return m_pending.capacity(); }
    // Capacity() once a chunk of size bytes has been taken in: the memory can be asked for
    // before it is used.
    [[nodiscard]] std::size_t CapacityAfter(std::size_t size) const;

    // Drops everything and gives the memory back.
    void Clear();

private:
    // A vector, whose growth this class decides, not the library; a long line's memory goes back
    // to the system with it.
    std::vector<char, PagedAllocator<char>> m_pending;
    std::size_t m_start = 0;   // where the unreturned text begins in m_pending
    std::size_t m_scanned = 0; // bytes from m_start already searched for a terminator
};

} // namespace velkan::channel
