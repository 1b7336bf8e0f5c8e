#pragma once

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
        return adult + strictBanWords + personFolder + banWords + rowLimit;
    }

    ReplyTally& operator+=(const ReplyTally& other)
    {
        items += other.items;
        listed += other.listed;
        rows += other.rows;
        adult += other.adult;
        strictBanWords += other.strictBanWords;
        personFolder += other.personFolder;
        banWords += other.banWords;
        rowLimit += other.rowLimit;
        return *this;
    }
};

} // namespace velkan::search
