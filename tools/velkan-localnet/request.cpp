#include "tools/velkan-localnet/request.h"

#include "channel/cp949.h"

#include <charconv>

namespace velkan::localnet {

namespace {

// A "%d" as the client prints it: an optional minus and at least one digit, in range.
std::optional<std::int32_t> ParseNumber(std::string_view text)
{
    if (text.empty() || text[0] == '+') {
        return std::nullopt;
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<Request> ParseRequest(std::string_view plain)
{
    constexpr std::string_view kList = "/slst ";
    constexpr std::string_view kFind = "/find ";
    constexpr std::string_view kInfo = "/sinf ";

    if (plain == kInfo) {
        return Request{RequestKind::ServerInfo, 0, {}, {}};
    }
    if (plain.starts_with(kList)) {
        const std::string_view rest = plain.substr(kList.size());
        if (!rest.ends_with('|')) {
            return std::nullopt;
        }
        const std::optional<std::int32_t> number = ParseNumber(rest.substr(0, rest.size() - 1));
        if (!number) {
            return std::nullopt;
        }
        return Request{RequestKind::ServerList, *number, {}, {}};
    }
    if (plain.starts_with(kFind)) {
        const std::string_view rest = plain.substr(kFind.size());
        const std::size_t first = cp949::FindByte(rest, '|');
        const std::size_t last = cp949::FindLastByte(rest, '|');
        if (first == cp949::npos || last == first) {
            return std::nullopt;
        }
        const std::optional<std::int32_t> number = ParseNumber(rest.substr(0, first));
        if (!number) {
            return std::nullopt;
        }
        return Request{RequestKind::Find, *number,
                       std::string(rest.substr(first + 1, last - first - 1)),
                       std::string(rest.substr(last + 1))};
    }
    return std::nullopt;
}

} // namespace velkan::localnet
