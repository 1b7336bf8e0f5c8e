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
// the order of their rows in both directions. Reads the texts sixteen bytes at a time, each group
// of texts that share their start once per step, so that no comparison goes back to a text's
// first byte.
void SortTexts(std::span<SortText> texts, bool ascending);

} // namespace velkan::search
