#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velkan::channel {

class BlowFish;

// The protected form of a text: Blowfish under the cipher's key, then Base64. Each call holds
// the cipher's lock for the encryption together with its Base64 step.
std::string EncryptToBase64(BlowFish& cipher, std::string_view plain);

// The reverse: Base64-decoded, deciphered in whole blocks and cut at the first zero byte.
// Fails when the text is not Base64 or decodes to nothing.
std::optional<std::string> DecryptFromBase64(BlowFish& cipher, std::string_view text);

// A request travels as one line: carriage returns are dropped and line feeds become "<br>".
std::string FlattenRequestText(std::string_view text);

// The body of the request line for text, as SendLine puts it on the wire before "\r\n".
std::string RequestLineBody(BlowFish& cipher, std::string_view text);

} // namespace velkan::channel
