#include "velkanfilesearch/velkancom.h"

#include <cstdio>

namespace velkan::com {

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads exactly digits hexadecimal digits; false on anything else.
bool ReadHex(std::string_view text, std::size_t digits, std::uint64_t& value)
{
    if (text.size() < digits) {
        return false;
    }
    value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0) {
            return false;
        }
        value = (value << 4) | static_cast<std::uint64_t>(digit);
    }
    return true;
}

} // namespace

std::string Guid::ToString() const
{
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(data1), static_cast<unsigned>(data2), static_cast<unsigned>(data3),
                  data4[0], data4[1], data4[2], data4[3], data4[4], data4[5], data4[6], data4[7]);
    return text;
}

std::optional<Guid> Guid::Parse(std::string_view text)
{
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (text.size() != 38 || text.front() != '{' || text.back() != '}' || text[9] != '-' ||
        text[14] != '-' || text[19] != '-' || text[24] != '-') {
        return std::nullopt;
    }
    Guid guid;
    std::uint64_t value = 0;
    if (!ReadHex(text.substr(1), 8, value)) {
        return std::nullopt;
    }
    guid.data1 = static_cast<std::uint32_t>(value);
    if (!ReadHex(text.substr(10), 4, value)) {
        return std::nullopt;
    }
    guid.data2 = static_cast<std::uint16_t>(value);
    if (!ReadHex(text.substr(15), 4, value)) {
        return std::nullopt;
    }
    guid.data3 = static_cast<std::uint16_t>(value);
    // Two bytes before the last dash, six after it.
    constexpr std::size_t kByteOffsets[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (std::size_t i = 0; i < 8; ++i) {
        if (!ReadHex(text.substr(kByteOffsets[i]), 2, value)) {
            return std::nullopt;
        }
        guid.data4[i] = static_cast<std::uint8_t>(value);
    }
    return guid;
}

} // namespace velkan::com
