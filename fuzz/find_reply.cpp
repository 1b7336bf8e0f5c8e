// ParseFindReply reads what a peer found for a search.
#include "fuzz/fuzz_check.h"
#include "channel/peerprotocol.h"
#include "fuzz/reference.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace velkan::channel;
namespace ref = velkan::fuzz;

namespace {

bool SameItem(const FoundItem& a, const FoundItem& b)
{
    return a.path == b.path && a.date == b.date && a.size == b.size && a.flags == b.flags &&
           a.extra == b.extra;
}

// The peer's side: "<", ">" and "|" standing as whole characters are written as escapes.
std::string EscapePath(std::string_view path)
{
    std::string escaped;
    for (std::size_t i = 0; i < path.size(); i += ref::CharSize(path, i)) {
        switch (path[i]) {
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '|': escaped += "&0x7c;"; break;
        default: escaped.append(path.substr(i, ref::CharSize(path, i)));
        }
    }
    return escaped;
}

// Every occurrence of from that starts on a character, left to right, replaced by to.
std::string ReplaceWholeChars(std::string_view text, std::string_view from, char to)
{
    std::string replaced;
    for (std::size_t i = 0; i < text.size();) {
        if (text.substr(i).starts_with(from)) {
            replaced += to;
            i += from.size();
        } else {
            replaced.append(text.substr(i, ref::CharSize(text, i)));
            i += ref::CharSize(text, i);
        }
    }
    return replaced;
}

// The items read plainly: fields as every list is cut, the three escapes replaced one after
// another, the limits applied.
std::vector<FoundItem> ReferenceItems(const std::vector<std::string_view>& tokens)
{
    std::vector<FoundItem> items;
    for (std::size_t t = 1; t < tokens.size(); ++t) {
        const std::vector<std::string> fields = ref::SplitFields(tokens[t], '|');
        if (fields.size() != 5) {
            continue;
        }
        FoundItem item;
        item.path = ReplaceWholeChars(
            ReplaceWholeChars(ReplaceWholeChars(fields[0], "&lt;", '<'), "&gt;", '>'), "&0x7c;", '|');
        if (item.path.size() > FoundItem::kMaxPath) {
            continue;
        }
        item.date = ref::CutChars(fields[1], FoundItem::kMaxDate);
        item.size = ref::ParseInteger<std::int64_t>(fields[2]);
        item.flags = ref::ParseInteger<std::int32_t>(fields[3]);
        item.extra = ref::ParseInteger<std::int32_t>(fields[4]);
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const auto tokens = ref::Tokens(line, '>');
    const bool isReply = !tokens.empty() && tokens.front() == "find";

    const auto items = ParseFindReply(line);
    VELKAN_FUZZ_CHECK(items.has_value() == isReply);
    if (!items) {
        return 0;
    }
    VELKAN_FUZZ_CHECK(items->size() < tokens.size());
    const std::vector<FoundItem> expected = ReferenceItems(tokens);
    VELKAN_FUZZ_CHECK(items->size() == expected.size());
    for (std::size_t i = 0; i < items->size(); ++i) {
        VELKAN_FUZZ_CHECK(SameItem((*items)[i], expected[i]));
    }
    for (const FoundItem& item : *items) {
        VELKAN_FUZZ_CHECK(item.path.size() <= FoundItem::kMaxPath);
        VELKAN_FUZZ_CHECK(item.date.size() <= FoundItem::kMaxDate);
        VELKAN_FUZZ_CHECK(item.date.find('>') == std::string::npos);
        VELKAN_FUZZ_CHECK(!ref::HasCharByte(item.date, '|'));
    }

    // Visiting stops as soon as the visitor says so.
    std::size_t visits = 0;
    VELKAN_FUZZ_CHECK(ForEachFoundItem(line, [&](FoundItem&& item) {
        ++visits;
        VELKAN_FUZZ_CHECK(SameItem(item, items->front()));
        return false;
    }));
    VELKAN_FUZZ_CHECK(visits == (items->empty() ? 0U : 1U));

    // Escaped and written out again, the items read back unchanged.
    std::string rebuilt = "find";
    for (const FoundItem& item : *items) {
        rebuilt += ">" + EscapePath(item.path) + "|" + item.date + "|" + std::to_string(item.size) +
                   "|" + std::to_string(item.flags) + "|" + std::to_string(item.extra);
    }
    const auto again = ParseFindReply(rebuilt);
    VELKAN_FUZZ_CHECK(again.has_value() && again->size() == items->size());
    for (std::size_t i = 0; i < items->size(); ++i) {
        VELKAN_FUZZ_CHECK(SameItem((*again)[i], (*items)[i]));
    }
    return 0;
}
