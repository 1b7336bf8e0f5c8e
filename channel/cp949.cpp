#include "channel/cp949.h"

namespace velkan::cp949 {

std::size_t FindByte(std::string_view text, char byte, std::size_t from)
{
    for (std::size_t i = from; i < text.size(); i += CharLength(text, i)) {
        if (text[i] == byte) {
            return i;
        }
    }
    return npos;
}

std::size_t FindLastByte(std::string_view text, char byte)
{
    std::size_t found = npos;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        if (text[i] == byte) {
            found = i;
        }
    }
    return found;
}

std::size_t FindText(std::string_view text, std::string_view needle, std::size_t from)
{
    if (needle.empty()) {
        return from <= text.size() ? from : npos;
    }
    for (std::size_t i = from; i + needle.size() <= text.size(); i += CharLength(text, i)) {
        if (text[i] == needle[0] && text.compare(i, needle.size(), needle) == 0) {
            return i;
        }
    }
    return npos;
}

std::size_t FindLastText(std::string_view text, std::string_view needle)
{
    if (needle.empty()) {
        return text.size();
    }
    std::size_t found = npos;
    for (std::size_t at = FindText(text, needle); at != npos;
         at = FindText(text, needle, at + CharLength(text, at))) {
        found = at;
    }
    return found;
}

std::string ToLowerAscii(std::string_view text)
{
    std::string lowered(text);
    for (std::size_t i = 0; i < lowered.size(); i += CharLength(lowered, i)) {
        if (lowered[i] >= 'A' && lowered[i] <= 'Z') {
            lowered[i] = static_cast<char>(lowered[i] - 'A' + 'a');
        }
    }
    return lowered;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty()) {
        return std::string(text);
    }
    std::string result;
    result.reserve(text.size());
    std::size_t copied = 0;
    for (std::size_t at = FindText(text, from); at != npos; at = FindText(text, from, copied)) {
        result.append(text.substr(copied, at - copied)).append(to);
        copied = at + from.size();
    }
    result.append(text.substr(copied));
    return result;
}

std::string_view TrimLeft(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && IsSpace(text[start])) {
        ++start;
    }
    return text.substr(start);
}

std::string_view TrimRight(std::string_view text)
{
    // Walk forward so that a byte which is the second half of a character is never taken for
    // white space.
    std::size_t end = 0;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        if (!IsSpace(text[i])) {
            end = i + CharLength(text, i);
        }
    }
    return text.substr(0, end);
}

std::string_view CutToFit(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes) {
        return text;
    }
    std::size_t end = 0;
    while (end < text.size() && end + CharLength(text, end) <= maxBytes) {
        end += CharLength(text, end);
    }
    return text.substr(0, end);
}

} // namespace velkan::cp949
