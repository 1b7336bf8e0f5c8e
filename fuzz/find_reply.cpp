// ParseFindReply reads what a peer found for a search.
#include "fuzz_check.h"
#include "peerprotocol.h"
#include "reference.h"

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
