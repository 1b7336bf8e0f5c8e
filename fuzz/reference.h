#pragma once

// Second, deliberately plain readings of the wire rules, written from the headers' contracts
// without the library's helpers, so that a harness compares two implementations instead of
// trusting one.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkan::fuzz {

inline bool IsWhite(char byte)
{
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\v' || byte == '\f' ||
           byte == '\r';
}

// A byte from 0x81 to 0xFE takes the next byte, whatever it is, as its second half.
inline std::size_t CharSize(std::string_view text, std::size_t at)
{
    const auto value = static_cast<unsigned char>(text[at]);
    return value >= 0x81 && value <= 0xFE && at + 1 < text.size() ? 2 : 1;
}

// Whether byte occurs as a whole character of text.
inline bool HasCharByte(std::string_view text, char byte)
{
    for (std::size_t i = 0; i < text.size(); i += CharSize(text, i)) {
        if (text[i] == byte) {
            return true;
        }
    }
    return false;
}

// The fields of a list, one at a time: trimmed at both ends, cut at separators that are whole
// characters, every field after the first without leading white space, and an empty last field
// not counted. The fields point into the text; nothing is copied, so a list of tens of
// thousands of fields is read in the time of one walk over it.
class FieldReader {
public:
    FieldReader(std::string_view text, char separator) : m_separator(separator)
    {
        std::size_t begin = 0;
        while (begin < text.size() && IsWhite(text[begin])) {
            ++begin;
        }
        std::size_t end = begin;
        for (std::size_t i = begin; i < text.size(); i += CharSize(text, i)) {
            if (!IsWhite(text[i])) {
                end = i + CharSize(text, i);
            }
        }
        m_text = text.substr(begin, end - begin);
    }

    // The next field; nothing after the last.
    std::optional<std::string_view> Next()
    {
        for (std::size_t i = m_start; i < m_text.size();) {
            if (m_text[i] != m_separator) {
                i += CharSize(m_text, i);
                continue;
            }
            const std::string_view field = m_text.substr(m_start, i - m_start);
            ++i;
            while (i < m_text.size() && IsWhite(m_text[i])) {
                ++i;
            }
            m_start = i;
            return field;
        }
        if (m_start < m_text.size()) {
            const std::string_view field = m_text.substr(m_start);
            m_start = m_text.size();
            return field;
        }
        return std::nullopt;
    }

private:
    std::string_view m_text;
    char m_separator;
    std::size_t m_start = 0;
};

// The fields FieldReader reads, as strings.
inline std::vector<std::string> SplitFields(std::string_view text, char separator)
{
    std::vector<std::string> fields;
    FieldReader reader(text, separator);
    while (const std::optional<std::string_view> field = reader.Next()) {
        fields.emplace_back(*field);
    }
    return fields;
}

// Non-empty runs between delimiter bytes, byte by byte as strtok cuts.
inline std::vector<std::string_view> Tokens(std::string_view text, char delimiter)
{
    std::vector<std::string_view> tokens;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == delimiter) {
            if (i > start) {
                tokens.push_back(text.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    return tokens;
}

// The ban-word lists a SearchBanWord text gives. Without a "," standing as a whole character the
// text is one word of both lists. Otherwise each piece before a "," is a word, a piece opening
// with "*" being a strict word without its "*", and the text after the last "," is one more
// when it is not empty; a text that opens with "," gives no words at all.
struct BanWordLists {
    std::vector<std::string> plain;
    std::vector<std::string> strict;
};

inline BanWordLists BanWords(std::string_view text)
{
    std::vector<std::size_t> commas;
    for (std::size_t i = 0; i < text.size(); i += CharSize(text, i)) {
        if (text[i] == ',') {
            commas.push_back(i);
        }
    }
    BanWordLists lists;
    if (commas.empty()) {
        lists.plain.emplace_back(text);
        lists.strict.emplace_back(text);
        return lists;
    }
    if (commas.front() == 0) {
        return lists;
    }
    const auto add = [&](std::string_view piece) {
        if (!piece.empty() && piece[0] == '*') {
            lists.strict.emplace_back(piece.substr(1));
        } else {
            lists.plain.emplace_back(piece);
        }
    };
    std::size_t start = 0;
    for (const std::size_t comma : commas) {
        add(text.substr(start, comma - start));
        start = comma + 1;
    }
    if (start < text.size()) {
        add(text.substr(start));
    }
    return lists;
}

// atoi's reading, with values past the type's range held at its ends.
template <typename Integer> Integer ParseInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsWhite(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Magnitude in an unsigned type wide enough for |min|, saturating there.
    const std::uint64_t cap = static_cast<std::uint64_t>(std::numeric_limits<Integer>::max()) + 1;
    std::uint64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        magnitude = magnitude > cap / 10 ? cap : magnitude * 10 + digit;
        if (magnitude > cap) {
            magnitude = cap;
        }
    }
    if (negative) {
        return magnitude == cap ? std::numeric_limits<Integer>::min()
                                : static_cast<Integer>(-static_cast<std::int64_t>(magnitude));
    }
    return magnitude >= cap ? std::numeric_limits<Integer>::max() : static_cast<Integer>(magnitude);
}

// The longest prefix of at most maxBytes bytes that does not end inside a character.
inline std::string_view CutChars(std::string_view text, std::size_t maxBytes)
{
    std::size_t end = 0;
    while (end < text.size() && end + CharSize(text, end) <= maxBytes) {
        end += CharSize(text, end);
    }
    return text.substr(0, end);
}

} // namespace velkan::fuzz
