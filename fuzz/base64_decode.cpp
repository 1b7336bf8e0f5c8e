// Base64Codec::Decode reads the protected text of every request and reply.
#include "channel/base64codec.h"
#include "fuzz/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using velkan::channel::Base64Codec;

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The codec's contract read plainly: high bit ignored, "=" skipped, anything else outside the
// alphabet fails, and whole bytes are taken from the six-bit groups in order.
bool ReferenceDecode(std::string_view text, std::string& bytes, std::size_t& sextets)
{
    bytes.clear();
    sextets = 0;
    std::string bits;
    for (const char raw : text) {
        const char character = static_cast<char>(static_cast<unsigned char>(raw) & 0x7F);
        if (character == '=') {
            continue;
        }
        const std::size_t value = kAlphabet.find(character);
        if (value == std::string_view::npos) {
            return false;
        }
        ++sextets;
        for (int bit = 5; bit >= 0; --bit) {
            bits.push_back((value >> bit & 1) != 0 ? '1' : '0');
        }
    }
    for (std::size_t at = 0; at + 8 <= bits.size(); at += 8) {
        int byte = 0;
        for (std::size_t bit = 0; bit < 8; ++bit) {
            byte = byte << 1 | (bits[at + bit] == '1' ? 1 : 0);
        }
        bytes.push_back(static_cast<char>(byte));
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::string expected;
    std::size_t sextets = 0;
    const bool valid = ReferenceDecode(text, expected, sextets);
    const auto decoded = Base64Codec::Decode(text);
    VELKAN_FUZZ_CHECK(decoded.has_value() == valid);
    if (decoded) {
        VELKAN_FUZZ_CHECK(*decoded == expected);
        VELKAN_FUZZ_CHECK(decoded->size() == sextets * 6 / 8);
        VELKAN_FUZZ_CHECK(Base64Codec::Decode(Base64Codec::Encode(*decoded)) == *decoded);
    }

    // The same bytes taken as a message: encoding gives only alphabet characters, one per six
    // bits, and decoding gives the message back.
    const std::string encoded = Base64Codec::Encode(text);
    VELKAN_FUZZ_CHECK(encoded.size() == (size * 8 + 5) / 6);
    VELKAN_FUZZ_CHECK(encoded.find_first_not_of(kAlphabet) == std::string::npos);
    const auto back = Base64Codec::Decode(encoded);
    VELKAN_FUZZ_CHECK(back.has_value() && *back == text);
    return 0;
}
