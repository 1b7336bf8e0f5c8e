#pragma once

#include <cstdint>
#include <span>

namespace velkan::search {

// A text to be ordered and the row it belongs to; head and tail are the sort's own.
struct SortText {
    const char* data;
    std::uint32_t size;
    std::uint32_t row;
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
};

// Orders texts by their unsigned bytes, a prefix first, or the reverse; texts that are equal keep
// the order they are given in, in both directions (given by row, the order of their rows). A
// radix sort on the texts' bytes, read fifteen at a time into each text's key, so that texts
// sharing a long start cost one read per step, not a comparison back from their first byte.
// Texts at the same address are equal without being read to the end. A large sort gives half of
// its groups to a second core.
void SortTexts(std::span<SortText> texts, bool ascending);

// The same, for texts whose first keys ReadFirstKey has read: a caller that reaches each text
// through another object reads the key while the text is at hand.
void ReadFirstKey(SortText& text, bool ascending);
void SortTextsWithFirstKeys(std::span<SortText> texts, bool ascending);

} // namespace velkan::search
