#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velkan::channel {

// Splits a text at a one-byte separator the way every list of this service is cut: the text is
// trimmed of white space at both ends, each field after the first begins without white space,
// white space just before a separator stays in its field, and a final field that is empty once
// its leading white space is gone is not counted. The separator is never matched inside a
// double-byte character.
class FieldSplitter {
public:
    FieldSplitter(std::string_view text, char separator);
    // The remainder points into the object's own copy of the text.
    FieldSplitter(const FieldSplitter&) = delete;
    FieldSplitter& operator=(const FieldSplitter&) = delete;

    [[nodiscard]] std::size_t Count() const { return m_count; }

    // The next field; an empty text once Count fields have been returned.
    std::string_view Next();

private:
    std::string m_text;
    std::string_view m_remainder;
    char m_separator;
    std::size_t m_count = 0;
    std::size_t m_index = 0;
};

} // namespace velkan::channel
