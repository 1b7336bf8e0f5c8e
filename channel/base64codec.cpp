#include "channel/base64codec.h"

#include <array>
#include <cstdint>

namespace velkan::channel {

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::int8_t kSkip = -1;
constexpr std::int8_t kInvalid = -2;

constexpr std::array<std::int8_t, 128> MakeDecodeTable()
{
    std::array<std::int8_t, 128> table{};
    table.fill(kInvalid);
    for (std::size_t value = 0; value < kAlphabet.size(); ++value) {
        table[static_cast<unsigned char>(kAlphabet[value])] = static_cast<std::int8_t>(value);
    }
    table['='] = kSkip;
    return table;
}

constexpr auto kDecodeTable = MakeDecodeTable();

} // namespace

std::string Base64Codec::Encode(std::string_view bytes)
{
    std::string text;
    text.reserve((bytes.size() * 4 + 2) / 3);
    std::uint32_t accumulator = 0;
    int pendingBits = 0;
    for (const char byte : bytes) {
        accumulator = accumulator << 8 | static_cast<std::uint8_t>(byte);
        pendingBits += 8;
        while (pendingBits >= 6) {
            pendingBits -= 6;
            text.push_back(kAlphabet[accumulator >> pendingBits & 0x3F]);
        }
    }
    if (pendingBits > 0) {
        text.push_back(kAlphabet[accumulator << (6 - pendingBits) & 0x3F]);
    }
    return text;
}

std::optional<std::string> Base64Codec::Decode(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() * 3 / 4 + 1);
    std::uint32_t accumulator = 0;
    int pendingBits = 0;
    for (const char character : text) {
        const std::int8_t value = kDecodeTable[static_cast<std::uint8_t>(character) & 0x7F];
        if (value == kSkip) {
            continue;
        }
        if (value == kInvalid) {
            return std::nullopt;
        }
        accumulator = accumulator << 6 | static_cast<std::uint32_t>(value);
        pendingBits += 6;
        if (pendingBits >= 8) {
            pendingBits -= 8;
            bytes.push_back(static_cast<char>(accumulator >> pendingBits & 0xFF));
        }
    }
    return bytes;
}

} // namespace velkan::channel
