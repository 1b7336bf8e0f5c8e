#include "velkanfilesearch/bstrconvert.h"

namespace velkan::com {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(Bstr& out, char32_t c)
{
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

// The code point of the well-formed UTF-8 sequence at the front of text and its length, or
// nothing for a malformed one (overlong forms, surrogates and values past U+10FFFF included).
bool DecodeUtf8(std::string_view text, char32_t& c, std::size_t& length)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        c = lead;
        length = 1;
        return true;
    }
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
        minimum = 0x10000;
    } else {
        return false;
    }
    if (text.size() < length) {
        return false;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return false;
        }
        c = (c << 6) | (byte(i) & 0x3F);
    }
    return c >= minimum && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

} // namespace

std::string ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                                (static_cast<char32_t>(text[i + 1]) - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

Bstr FromUtf8(std::string_view text)
{
    Bstr out;
    out.reserve(text.size());
    while (!text.empty()) {
        char32_t c = 0;
        std::size_t length = 0;
        if (DecodeUtf8(text, c, length)) {
            AppendUtf16(out, c);
            text.remove_prefix(length);
            continue;
        }
        AppendUtf16(out, kReplacement);
        // Skip the lead byte and whatever continuation bytes follow it.
        std::size_t skip = 1;
        while (skip < text.size() && skip < 4 && (static_cast<unsigned char>(text[skip]) & 0xC0) == 0x80) {
            ++skip;
        }
        text.remove_prefix(skip);
    }
    return out;
}

} // namespace velkan::com
