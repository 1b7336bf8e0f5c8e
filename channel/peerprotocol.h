#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkan::channel {

// One file a peer found, fields as the reply carries them (the path with its escapes reversed).
struct FoundItem {
    static constexpr std::size_t kMaxPath = 1503;
    static constexpr std::size_t kMaxDate = 19;

    std::string path; // folders separated by backslashes, at most kMaxPath bytes
    std::string date; // at most kMaxDate bytes
    std::int64_t size = 0;
    std::int32_t flags = 0;
    std::int32_t extra = 0;
};

// The same item without a copy: the texts point into the reply line, or, for a path that held
// escapes, into a buffer of the walk. Both live only as long as the visit.
struct FoundItemView {
    std::string_view path;
    std::string_view date;
    std::int64_t size = 0;
    std::int32_t flags = 0;
    std::int32_t extra = 0;
};

// What a peer tells of itself in answer to the server-information request.
struct ServerInfo {
    std::string download; // "first/second"
    std::string upload;   // "first/second"
    double fileCount = 0;
    std::int64_t totalSize = 0;
};

// "/find %d|%s|%s": one number per search, the prepared search text and the user ID, unescaped.
std::string FindRequest(int number, std::string_view searchText, std::string_view userId);

inline constexpr std::string_view kServerInfoRequest = "/sinf ";

// The path field's escapes for "<", ">" and "|", which are separators of the reply.
std::string UnescapePath(std::string_view field);

// Calls visit with a FoundItemView for each usable item of a "find" reply, in order, until visit
// returns false. Returns false when the line is not a find reply at all. An item is usable when
// it has exactly five fields and its path fits; a longer date is cut at a character boundary.
// Nothing is allocated: a reply of a thousand items is read in one walk over its bytes.
template <typename Visitor> bool VisitFoundItems(std::string_view line, Visitor&& visit);

// Where a "find" reply's items begin, or nothing when the line is not a find reply.
std::optional<std::size_t> FoundItemsStart(std::string_view line);

// VisitFoundItems from offset at of the line (one FoundItemsStart gave, or one an earlier walk
// left), moving at past each item as it is visited: a walk that visit stopped resumes at the
// next item. Returns true when the line has no item left after at.
template <typename Visitor> bool VisitFoundItemsFrom(std::string_view line, std::size_t& at, Visitor&& visit);

// The same items as owned copies, for callers that keep them.
template <typename Visitor> bool ForEachFoundItem(std::string_view line, Visitor&& visit);

// The items of a "find" reply, or nothing when the line is not one.
std::optional<std::vector<FoundItem>> ParseFindReply(std::string_view line);

// "/info " followed by exactly six comma-separated fields; anything else is not an answer. Nor is
// one whose count is not finite or beyond 2^53 either way, whose size does not fit a signed
// 64-bit integer, or whose download or upload figures are longer than kMaxInfoFigure: the window
// would show "inf", a wrong number or a wall of text.
inline constexpr std::size_t kMaxInfoFigure = 20;
std::optional<ServerInfo> ParseServerInfoReply(std::string_view line);

namespace detail {
// Where an unescaped path is written: a path that does not fit is not an item.
using PathBuffer = std::array<char, FoundItem::kMaxPath>;
std::optional<FoundItemView> ReadFoundItem(std::string_view token, PathBuffer& buffer);
bool IsFindReply(std::string_view line, std::size_t& itemsStart);
} // namespace detail

} // namespace velkan::channel

#include "channel/tokens.h"

template <typename Visitor>
bool velkan::channel::VisitFoundItems(std::string_view line, Visitor&& visit)
{
    std::optional<std::size_t> at = FoundItemsStart(line);
    if (!at) {
        return false;
    }
    VisitFoundItemsFrom(line, *at, visit);
    return true;
}

template <typename Visitor>
bool velkan::channel::VisitFoundItemsFrom(std::string_view line, std::size_t& at, Visitor&& visit)
{
    detail::PathBuffer buffer; // left unset: only what an unescaped path writes is read
    ForEachToken(line.substr(std::min(at, line.size())), '>', [&](std::string_view token) {
        at = static_cast<std::size_t>(token.data() + token.size() - line.data());
        const std::optional<FoundItemView> item = detail::ReadFoundItem(token, buffer);
        return !item || visit(*item);
    });
    return at >= line.size() || line.find_first_not_of('>', at) == std::string_view::npos;
}

template <typename Visitor>
bool velkan::channel::ForEachFoundItem(std::string_view line, Visitor&& visit)
{
    return VisitFoundItems(line, [&](const FoundItemView& item) {
        return visit(FoundItem{.path = std::string(item.path),
                               .date = std::string(item.date),
                               .size = item.size,
                               .flags = item.flags,
                               .extra = item.extra});
    });
}
