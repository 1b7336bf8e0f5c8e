#include "hostoptions.h"

#include <charconv>

namespace velkan::host {

std::optional<std::pair<std::string, int>> ParseHostPort(const std::string& text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        return std::nullopt;
    }
    int port = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data() + colon + 1, end, port);
    if (error != std::errc() || stop != end || port <= 0 || port > 65535) {
        return std::nullopt;
    }
    return std::pair(text.substr(0, colon), port);
}

} // namespace velkan::host
