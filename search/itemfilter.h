#pragma once

#include "search/banwords.h"

#include <cstdint>

namespace velkan::channel {
struct FoundItemView;
}

namespace velkan::search {

struct StartupConfig;

// Item flag bits of a find reply.
constexpr std::int32_t kItemPerson = 0x08;
constexpr std::int32_t kItemAdult = 0x10;
constexpr std::int32_t kItemNoBanWords = 0x80;

// What becomes of one found item, and which rule dropped it.
enum class ItemVerdict {
    List,
    DropAdult,
    DropStrictBanWord,
    DropRestOfLine, // a person's folder under option 0x40: the item and the rest of its line
    DropBanWord,
};

// The adult filter, the strict ban words, the option that ends a line at a person's folder and
// the plain ban words, in that order, under the panel's configuration.
class ItemFilter {
public:
    explicit ItemFilter(const StartupConfig& config);

    // Takes the configuration's ban-word and strip lists as they are now (preparing them again
    // only when they changed); call it before judging a line's items.
    void FollowConfig();
    [[nodiscard]] ItemVerdict Judge(const channel::FoundItemView& item) const;

private:
    const StartupConfig& m_config;
    BanWordList m_strict;
    BanWordList m_plain;
};

} // namespace velkan::search
