#include "channel/fieldsplitter.h"

#include "channel/cp949.h"

namespace velkan::channel {

FieldSplitter::FieldSplitter(std::string_view text, char separator)
    : m_text(cp949::Trim(text)), m_remainder(m_text), m_separator(separator)
{
    std::string_view rest = m_text;
    for (std::size_t at = cp949::FindByte(rest, separator); at != cp949::npos;
         at = cp949::FindByte(rest, separator)) {
        ++m_count;
        rest = cp949::TrimLeft(rest.substr(at + 1));
    }
    if (!rest.empty()) {
        ++m_count;
    }
}

std::string_view FieldSplitter::Next()
{
    if (m_index >= m_count) {
        return {};
    }
    ++m_index;
    const std::size_t at = cp949::FindByte(m_remainder, m_separator);
    if (at == cp949::npos) {
        return m_remainder;
    }
    const std::string_view field = m_remainder.substr(0, at);
    // The text was trimmed at its end once; trimming it again here would walk the whole rest
    // for every field.
    m_remainder = cp949::TrimLeft(m_remainder.substr(at + 1));
    return field;
}

} // namespace velkan::channel
