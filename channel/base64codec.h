#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velkan::channel {

// Standard-alphabet Base64 as this service writes it: no "=" padding and no line breaks.
class Base64Codec {
public:
    // Six bits per character; a tail of fewer than six bits is filled with zero bits.
    static std::string Encode(std::string_view bytes);

    // Ignores "=" wherever it stands and the high bit of every character. Any other byte
    // outside the alphabet (white space and line breaks included) fails the whole text.
    // Bits left over at the end (fewer than eight) are dropped. An empty text gives an
    // empty result, which callers treat like a failure.
    static std::optional<std::string> Decode(std::string_view text);
};

} // namespace velkan::channel
