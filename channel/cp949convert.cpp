#include "cp949convert.h"

#include "cp949.h"

#include <cerrno>
#include <iconv.h>

namespace velkan::cp949 {

namespace {

enum class OnInvalid { Substitute, Fail };

// Length of the malformed or unconvertible character at the front of input, so that it is
// replaced by one '?' rather than one per byte.
using SkipFunction = std::size_t (*)(std::string_view);

std::size_t SkipCp949(std::string_view input)
{
    return CharLength(input, 0);
}

std::size_t SkipUtf8(std::string_view input)
{
    std::size_t length = 1;
    while (length < input.size() && length < 4 &&
           (static_cast<unsigned char>(input[length]) & 0xC0) == 0x80) {
        ++length;
    }
    return length;
}

std::optional<std::string> Convert(std::string_view input, const char* to, const char* from,
                                   SkipFunction skip, OnInvalid onInvalid)
{
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string output;
    output.reserve(input.size() * 2);
    char buffer[4096];
    while (!input.empty()) {
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        output.append(buffer, static_cast<std::size_t>(out - buffer));
        input.remove_prefix(input.size() - inLeft);
        if (result != static_cast<std::size_t>(-1) || error == E2BIG) {
            continue;
        }
        if (onInvalid == OnInvalid::Fail) {
            iconv_close(converter);
            return std::nullopt;
        }
        output.push_back('?');
        input.remove_prefix(skip(input));
    }
    iconv_close(converter);
    return output;
}

} // namespace

std::string ToUtf8(std::string_view cp949)
{
    return Convert(cp949, "UTF-8", "CP949", SkipCp949, OnInvalid::Substitute).value_or("");
}

std::string FromUtf8(std::string_view utf8)
{
    return Convert(utf8, "CP949", "UTF-8", SkipUtf8, OnInvalid::Substitute).value_or("");
}

std::optional<std::string> FromUtf8Strict(std::string_view utf8)
{
    return Convert(utf8, "CP949", "UTF-8", SkipUtf8, OnInvalid::Fail);
}

std::optional<std::string> ToUtf8Strict(std::string_view cp949)
{
    return Convert(cp949, "UTF-8", "CP949", SkipCp949, OnInvalid::Fail);
}

} // namespace velkan::cp949
