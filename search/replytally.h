#pragma once

#include "search/outcomefigures.h"

namespace velkan::search {

// What the items of find reply lines came to: each item parsed is listed or dropped by exactly
// one rule, so items == listed + every drop. Items after a person's folder item that ends its
// line are never parsed and not counted.
struct ReplyTally {
    int items = 0;          // usable items parsed
    int listed = 0;         // items that became rows
    int rows = 0;           // rows added: each listed file and each folder row before it
    int adult = 0;          // dropped by the adult filter
    int strictBanWords = 0; // dropped by a strict ban word
    int personFolder = 0;   // a person's folder item under option 0x40, which ends its line
    int banWords = 0;       // dropped by a plain ban word
    int rowLimit = 0;       // passed every filter but found the list full

    [[nodiscard]] int Dropped() const
    {
        int dropped = 0;
#define VELKAN_ADD_DROPPED(name, path, kind, title)                                                \
    if constexpr (FigureKind::kind == FigureKind::Dropped) {                                       \
        dropped += name;                                                                           \
    }
        VELKAN_REPLY_TALLY_FIGURES(VELKAN_ADD_DROPPED)
#undef VELKAN_ADD_DROPPED
        return dropped;
    }

    ReplyTally& operator+=(const ReplyTally& other)
    {
        listed += other.listed;
#define VELKAN_ADD_FIGURE(name, path, kind, title) name += other.name;
        VELKAN_REPLY_TALLY_FIGURES(VELKAN_ADD_FIGURE)
#undef VELKAN_ADD_FIGURE
        return *this;
    }
};

// A member kept here but missing from the figure list would be summed and shown by nobody.
#define VELKAN_COUNT_FIGURE(name, path, kind, title) +1
static_assert(sizeof(ReplyTally) == (1 VELKAN_REPLY_TALLY_FIGURES(VELKAN_COUNT_FIGURE)) * sizeof(int),
              "every member of ReplyTally but listed belongs in VELKAN_REPLY_TALLY_FIGURES");
#undef VELKAN_COUNT_FIGURE

} // namespace velkan::search
