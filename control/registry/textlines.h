#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace velkan::registry {

// The lines of a text file one at a time, without their "\n" or "\r\n", numbered from 1: how the
// registry and property set files are read. A last line without "\n" counts; a text that ends
// with "\n" has no empty line after it.
class TextLines {
public:
    explicit TextLines(std::string_view text) : m_text(text) {}

    // The next line; nothing at the end of the text.
    std::optional<std::string_view> Next()
    {
        if (m_at >= m_text.size()) {
            return std::nullopt;
        }
        std::size_t end = m_text.find('\n', m_at);
        if (end == std::string_view::npos) {
            end = m_text.size();
        }
        std::string_view line = m_text.substr(m_at, end - m_at);
        m_at = end + 1;
        ++m_number;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        return line;
    }
    // The number of the line Next gave last.
    [[nodiscard]] std::size_t Number() const { return m_number; }

private:
    std::string_view m_text;
    std::size_t m_at = 0;
    std::size_t m_number = 0;
};

} // namespace velkan::registry
