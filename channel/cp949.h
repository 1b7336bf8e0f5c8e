#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Byte-level helpers for CP949 text (the code page every text of the service travels in).
// A byte from 0x81 to 0xFE starts a double-byte character whose second byte may be any byte,
// ASCII letters included, so every search walks the text character by character and never
// matches, cuts or changes the second half of a character.
namespace velkan::cp949 {

constexpr std::size_t npos = std::string_view::npos;

constexpr bool IsLeadByte(char byte)
{
    const auto value = static_cast<unsigned char>(byte);
    return value >= 0x81 && value <= 0xFE;
}

// Length of the character at position: 2 for a lead byte followed by another byte, else 1.
constexpr std::size_t CharLength(std::string_view text, std::size_t position)
{
    return IsLeadByte(text[position]) && position + 1 < text.size() ? 2 : 1;
}

// `from` must lie on a character boundary.
std::size_t FindByte(std::string_view text, char byte, std::size_t from = 0);
std::size_t FindLastByte(std::string_view text, char byte);
std::size_t FindText(std::string_view text, std::string_view needle, std::size_t from = 0);
std::size_t FindLastText(std::string_view text, std::string_view needle);
inline bool Contains(std::string_view text, std::string_view needle)
{
    return FindText(text, needle) != npos;
}

// Lower-cases single-byte A-Z only.
std::string ToLowerAscii(std::string_view text);

// Every non-overlapping occurrence, left to right; replaced text is not searched again.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// White space is space, tab, line feed, vertical tab, form feed and carriage return.
constexpr bool IsSpace(char byte)
{
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}
std::string_view TrimLeft(std::string_view text);
std::string_view TrimRight(std::string_view text);
inline std::string_view Trim(std::string_view text)
{
    return TrimRight(TrimLeft(text));
}

// The longest prefix of at most maxBytes bytes that does not end inside a character.
std::string_view CutToFit(std::string_view text, std::size_t maxBytes);

} // namespace velkan::cp949
