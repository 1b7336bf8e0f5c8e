#include "channel/cp949convert.h"

#include "channel/cp949.h"

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

// Opening a converter costs far more than converting a list cell's text, so each thread keeps
// one per direction.
class Converter {
public:
    Converter(const char* to, const char* from) : m_handle(iconv_open(to, from)) {}
    ~Converter()
    {
        if (IsOpen()) {
            iconv_close(m_handle);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    [[nodiscard]] bool IsOpen() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    [[nodiscard]] iconv_t Reset() const
    {
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        return m_handle;
    }

private:
    iconv_t m_handle;
};

std::optional<std::string> Convert(std::string_view input, const Converter& handle,
                                   SkipFunction skip, OnInvalid onInvalid)
{
    if (!handle.IsOpen()) {
        return std::nullopt;
    }
    iconv_t converter = handle.Reset();
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
            return std::nullopt;
        }
        output.push_back('?');
        input.remove_prefix(skip(input));
    }
    return output;
}

const Converter& ToUtf8Converter()
{
    thread_local const Converter converter("UTF-8", "CP949");
    return converter;
}

const Converter& FromUtf8Converter()
{
    thread_local const Converter converter("CP949", "UTF-8");
    return converter;
}

} // namespace

std::string ToUtf8(std::string_view cp949)
{
    return Convert(cp949, ToUtf8Converter(), SkipCp949, OnInvalid::Substitute).value_or("");
}

std::string FromUtf8(std::string_view utf8)
{
    return Convert(utf8, FromUtf8Converter(), SkipUtf8, OnInvalid::Substitute).value_or("");
}

std::optional<std::string> FromUtf8Strict(std::string_view utf8)
{
    return Convert(utf8, FromUtf8Converter(), SkipUtf8, OnInvalid::Fail);
}

std::optional<std::string> ToUtf8Strict(std::string_view cp949)
{
    return Convert(cp949, ToUtf8Converter(), SkipCp949, OnInvalid::Fail);
}

} // namespace velkan::cp949
