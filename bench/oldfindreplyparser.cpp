#include "bench/oldfindreplyparser.h"

#include "channel/cp949.h"
#include "channel/decimal.h"
#include "channel/fieldsplitter.h"

namespace velkan::bench::oldparser {

namespace {

std::string OldUnescapePath(std::string_view field)
{
    return cp949::ReplaceAll(cp949::ReplaceAll(cp949::ReplaceAll(field, "&lt;", "<"), "&gt;", ">"),
                             "&0x7c;", "|");
}

} // namespace

std::optional<channel::FoundItem> OldParseFoundItem(std::string_view token)
{
    channel::FieldSplitter fields(token, '|');
    if (fields.Count() != 5) {
        return std::nullopt;
    }
    channel::FoundItem item;
    item.path = OldUnescapePath(fields.Next());
    if (item.path.size() > channel::FoundItem::kMaxPath) {
        return std::nullopt;
    }
    item.date = cp949::CutToFit(fields.Next(), channel::FoundItem::kMaxDate);
    item.size = decimal::ParseInt64(fields.Next());
    item.flags = decimal::ParseInt32(fields.Next());
    item.extra = decimal::ParseInt32(fields.Next());
    return item;
}

} // namespace velkan::bench::oldparser
