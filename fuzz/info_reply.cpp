// ParseServerInfoReply reads what a peer tells of itself.
#include "fuzz/fuzz_check.h"
#include "channel/peerprotocol.h"
#include "fuzz/reference.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace velkan::channel;
namespace ref = velkan::fuzz;

namespace {

// The plain decimal number at the start of text (after white space), "+" dropped, or empty.
std::string DecimalPrefix(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && ref::IsWhite(text[at])) {
        ++at;
    }
    text.remove_prefix(at);
    auto digits = [&](std::size_t from) {
        while (from < text.size() && text[from] >= '0' && text[from] <= '9') {
            ++from;
        }
        return from;
    };
    std::size_t end = text.starts_with('+') || text.starts_with('-') ? 1 : 0;
    const std::size_t integerEnd = digits(end);
    bool any = integerEnd > end;
    end = integerEnd;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fractionEnd = digits(end + 1);
        any = any || fractionEnd > end + 1;
        end = fractionEnd;
    }
    if (!any) {
        return {};
    }
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        if (digits(exponent) > exponent) {
            end = digits(exponent);
        }
    }
    std::string number(text.substr(0, end));
    if (number.front() == '+') {
        number.erase(0, 1);
    }
    return number;
}

// Whether the integer at the start of text, read as atoi reads it, fits a signed 64-bit integer.
bool FitsInt64(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && ref::IsWhite(text[at])) {
        ++at;
    }
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        ++at;
    }
    while (at < text.size() && text[at] == '0') {
        ++at;
    }
    std::size_t end = at;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
        ++end;
    }
    const std::string_view digits = text.substr(at, end - at);
    const std::string_view limit = negative ? "9223372036854775808" : "9223372036854775807";
    return digits.size() < limit.size() || (digits.size() == limit.size() && digits <= limit);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kPrefix = "/info ";
    const auto fields = line.starts_with(kPrefix) ? ref::SplitFields(line.substr(kPrefix.size()), ',')
                                                  : std::vector<std::string>{};

    bool shown = fields.size() == 6;
    if (shown) {
        for (std::size_t figure = 0; figure < 4; ++figure) {
            shown = shown && fields[figure].size() <= kMaxInfoFigure;
        }
        const std::string number = DecimalPrefix(fields[4]);
        const double count = number.empty() ? 0.0 : std::strtod(number.c_str(), nullptr);
        shown = shown && std::isfinite(count) && std::fabs(count) <= 9007199254740992.0 && FitsInt64(fields[5]);
    }
    const auto info = ParseServerInfoReply(line);
    VELKAN_FUZZ_CHECK(info.has_value() == shown);
    if (!info) {
        return 0;
    }
    VELKAN_FUZZ_CHECK(info->download == fields[0] + "/" + fields[1]);
    VELKAN_FUZZ_CHECK(info->upload == fields[2] + "/" + fields[3]);
    VELKAN_FUZZ_CHECK(info->totalSize == ref::ParseInteger<std::int64_t>(fields[5]));

    VELKAN_FUZZ_CHECK(!std::isnan(info->fileCount));
    const std::string number = DecimalPrefix(fields[4]);
    if (number.empty()) {
        VELKAN_FUZZ_CHECK(info->fileCount == 0.0);
    } else {
        // Compared only where from_chars reads the whole number in range; both round correctly.
        double expected = 0;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), expected);
        if (error == std::errc{} && end == number.data() + number.size()) {
            VELKAN_FUZZ_CHECK(info->fileCount == expected);
        }
    }
    return 0;
}
