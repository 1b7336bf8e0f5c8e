#pragma once

#include <algorithm>
#include <string_view>

namespace velkan::channel {

// Calls visit for every non-empty token between runs of delimiter, the way the C library's
// strtok cuts a text; visit returns false to stop early.
template <typename Visitor> void ForEachToken(std::string_view text, char delimiter, Visitor&& visit)
{
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(delimiter, at);
        if (start == std::string_view::npos) {
            return;
        }
        const std::size_t end = std::min(text.find(delimiter, start), text.size());
        if (!visit(text.substr(start, end - start))) {
            return;
        }
        at = end;
    }
}

} // namespace velkan::channel
