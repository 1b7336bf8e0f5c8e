#include "channel/protectedtext.h"

#include "channel/base64codec.h"
#include "channel/blowfish.h"
#include "channel/cp949.h"

#include <cstdint>
#include <vector>

namespace velkan::channel {

std::string EncryptToBase64(BlowFish& cipher, std::string_view plain)
{
    std::vector<std::uint8_t> encrypted(BlowFish::PaddedLength(plain.size()) + 1);
    const auto lock = cipher.Lock();
    const std::size_t length = cipher.EncryptBuffer(
        reinterpret_cast<const std::uint8_t*>(plain.data()), encrypted.data(), plain.size());
    return Base64Codec::Encode(
        std::string_view(reinterpret_cast<const char*>(encrypted.data()), length));
}

std::optional<std::string> DecryptFromBase64(BlowFish& cipher, std::string_view text)
{
    const auto lock = cipher.Lock();
    const std::optional<std::string> decoded = Base64Codec::Decode(text);
    if (!decoded || decoded->empty()) {
        return std::nullopt;
    }
    // Whole blocks only: a short last block is completed with zero bytes.
    std::vector<std::uint8_t> blocks(BlowFish::PaddedLength(decoded->size()));
    std::copy(decoded->begin(), decoded->end(), blocks.begin());
    cipher.DecryptBuffer(blocks.data(), blocks.data(), decoded->size());
    std::string plain(blocks.begin(), blocks.end());
    plain.resize(std::min(plain.find('\0'), plain.size()));
    return plain;
}

std::string FlattenRequestText(std::string_view text)
{
    return cp949::ReplaceAll(cp949::ReplaceAll(text, "\r", ""), "\n", "<br>");
}

std::string RequestLineBody(BlowFish& cipher, std::string_view text)
{
    return EncryptToBase64(cipher, FlattenRequestText(text));
}

} // namespace velkan::channel
