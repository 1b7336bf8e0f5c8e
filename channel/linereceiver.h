#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velkan::channel {

// Collects the chunks a connection receives and hands out complete lines, ended by "\n" or
// "\r\n" (also when the "\r" and the "\n" arrive in different chunks), one line per call.
// A line that is already complete comes out before any later text; the work per byte is
// constant however the line is split, since the text already searched is never searched again.
class LineReceiver {
public:
    // Appends chunk, up to its first zero byte, and returns the first complete line, if any.
    std::optional<std::string> ReceiveLine(std::string_view chunk);

    // Bytes held that have not yet come out as lines.
    [[nodiscard]] std::size_t PendingSize() const { return m_pending.size() - m_start; }

    void Clear();

private:
    std::string m_pending;
    std::size_t m_start = 0;   // where the unreturned text begins in m_pending
    std::size_t m_scanned = 0; // bytes from m_start already searched for a terminator
};

} // namespace velkan::channel
