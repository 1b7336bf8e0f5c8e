#include "channel/linereceiver.h"

#include <algorithm>
#include <cstring>

namespace velkan::channel {

std::size_t LineReceiver::CapacityAfter(std::size_t size) const
{
    const std::size_t needed = m_pending.size() + size;
    const std::size_t capacity = m_pending.capacity();
    // Half again rather than double: a line that grows slowly wastes a third at most, while
    // the copying stays linear overall.
    return needed <= capacity ? capacity : std::max(needed, capacity + capacity / 2);
}

std::optional<std::string> LineReceiver::ReceiveLine(std::string_view chunk)
{
    chunk = chunk.substr(0, chunk.find('\0'));
    m_pending.reserve(CapacityAfter(chunk.size()));
    m_pending.insert(m_pending.end(), chunk.begin(), chunk.end());

    const char* begin = m_pending.data() + m_start;
    const std::size_t available = m_pending.size() - m_start;
    const void* found =
        available > m_scanned ? std::memchr(begin + m_scanned, '\n', available - m_scanned) : nullptr;
    if (found == nullptr) {
        m_scanned = available;
        return std::nullopt;
    }
    const std::size_t terminator = static_cast<std::size_t>(static_cast<const char*>(found) - begin);
    std::size_t lineLength = terminator;
    if (lineLength > 0 && begin[lineLength - 1] == '\r') {
        --lineLength;
    }
    std::string line(begin, lineLength);
    m_start += terminator + 1;
    m_scanned = 0;
    if (m_start == m_pending.size()) {
        // Drained: a long line's memory is not kept for the short ones that usually follow.
        m_pending.clear();
        m_start = 0;
        if (m_pending.capacity() > kKeptCapacity) {
            m_pending.shrink_to_fit();
        }
    } else if (m_start > m_pending.size() - m_start) {
        // Drop the returned text once it outweighs what is left, so memory stays bounded by the
        // pending text while the copying stays linear overall.
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(m_start));
        m_start = 0;
    }
    return line;
}

void LineReceiver::Clear()
{
    m_pending.clear();
    m_pending.shrink_to_fit();
    m_start = 0;
    m_scanned = 0;
}

} // namespace velkan::channel
