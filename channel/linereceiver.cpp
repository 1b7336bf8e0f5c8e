#include "linereceiver.h"

#include <cstring>

namespace velkan::channel {

std::optional<std::string> LineReceiver::ReceiveLine(std::string_view chunk)
{
    m_pending.append(chunk.substr(0, chunk.find('\0')));

    const char* begin = m_pending.data() + m_start;
    const std::size_t available = m_pending.size() - m_start;
    const void* found = std::memchr(begin + m_scanned, '\n', available - m_scanned);
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
    // Drop the returned text once it outweighs what is left, so memory stays bounded by the
    // pending text while the copying stays linear overall.
    if (m_start > m_pending.size() - m_start) {
        m_pending.erase(0, m_start);
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
