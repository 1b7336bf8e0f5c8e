#pragma once

// Registry keys and value names compare without regard to ASCII case only: other bytes, UTF-8
// included, compare as they are.

#include <algorithm>
#include <string_view>

namespace velkan::registry {

constexpr char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

} // namespace velkan::registry
