#include "peerprotocol.h"

#include "cp949.h"
#include "decimal.h"
#include "fieldsplitter.h"

namespace velkan::channel {

std::string FindRequest(int number, std::string_view searchText, std::string_view userId)
{
    std::string request = "/find " + std::to_string(number) + "|";
    request.append(searchText).append("|").append(userId);
    return request;
}

std::string UnescapePath(std::string_view field)
{
    return cp949::ReplaceAll(cp949::ReplaceAll(cp949::ReplaceAll(field, "&lt;", "<"), "&gt;", ">"),
                             "&0x7c;", "|");
}

namespace detail {

bool IsFindReply(std::string_view line, std::size_t& itemsStart)
{
    // The first ">"-separated token must be "find" exactly.
    const std::size_t start = line.find_first_not_of('>');
    if (start == std::string_view::npos || line.compare(start, 4, "find") != 0) {
        return false;
    }
    itemsStart = start + 4;
    return itemsStart == line.size() || line[itemsStart] == '>';
}

std::optional<FoundItem> ParseFoundItem(std::string_view token)
{
    FieldSplitter fields(token, '|');
    if (fields.Count() != 5) {
        return std::nullopt;
    }
    FoundItem item;
    item.path = UnescapePath(fields.Next());
    if (item.path.size() > FoundItem::kMaxPath) {
        return std::nullopt; // a cut path would name another file
    }
    item.date = cp949::CutToFit(fields.Next(), FoundItem::kMaxDate);
    item.size = decimal::ParseInt64(fields.Next());
    item.flags = decimal::ParseInt32(fields.Next());
    item.extra = decimal::ParseInt32(fields.Next());
    return item;
}

} // namespace detail

std::optional<std::vector<FoundItem>> ParseFindReply(std::string_view line)
{
    std::vector<FoundItem> items;
    if (!ForEachFoundItem(line, [&](FoundItem&& item) {
            items.push_back(std::move(item));
            return true;
        })) {
        return std::nullopt;
    }
    return items;
}

std::optional<ServerInfo> ParseServerInfoReply(std::string_view line)
{
    constexpr std::string_view kPrefix = "/info ";
    if (!line.starts_with(kPrefix)) {
        return std::nullopt;
    }
    FieldSplitter fields(line.substr(kPrefix.size()), ',');
    if (fields.Count() != 6) {
        return std::nullopt;
    }
    ServerInfo info;
    info.download = std::string(fields.Next()) + "/";
    info.download += fields.Next();
    info.upload = std::string(fields.Next()) + "/";
    info.upload += fields.Next();
    info.fileCount = decimal::ParseDouble(fields.Next());
    info.totalSize = decimal::ParseInt64(fields.Next());
    return info;
}

} // namespace velkan::channel
