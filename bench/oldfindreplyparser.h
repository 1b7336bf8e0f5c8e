#pragma once

// The find-reply parser as it was before items were read without a copy, frozen here as the
// baseline that search_bench measures today's parser against. Not used by the product.

#include "channel/peerprotocol.h"

#include <optional>
#include <string_view>

namespace velkan::bench::oldparser {

// Copies the item's text once to cut it into fields and unescapes the path in three passes,
// one new string each.
std::optional<channel::FoundItem> OldParseFoundItem(std::string_view token);

template <typename Visitor> bool OldForEachFoundItem(std::string_view line, Visitor&& visit)
{
    std::size_t itemsStart = 0;
    if (!channel::detail::IsFindReply(line, itemsStart)) {
        return false;
    }
    channel::ForEachToken(line.substr(itemsStart), '>', [&](std::string_view token) {
        std::optional<channel::FoundItem> item = OldParseFoundItem(token);
        return !item || visit(std::move(*item));
    });
    return true;
}

} // namespace velkan::bench::oldparser
