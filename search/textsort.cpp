#include "search/textsort.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace velkan::search {

namespace {

constexpr std::size_t kWord = sizeof(std::uint64_t);
constexpr std::size_t kStep = 2 * kWord;

// Texts are read through pointers in no useful order; asking for the ones a little ahead keeps
// many of those reads under way at once.
constexpr std::size_t kPrefetchAhead = 16;

std::uint64_t BigEndian(const unsigned char* bytes)
{
    std::uint64_t value = 0;
    std::memcpy(&value, bytes, kWord);
    return __builtin_bswap64(value);
}

// Reads the sixteen bytes from depth as two big-endian numbers, zeros past the end.
void ReadStep(SortText& text, std::size_t depth)
{
    if (depth + kStep <= text.size) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data + depth);
        text.head = BigEndian(bytes);
        text.tail = BigEndian(bytes + kWord);
        return;
    }
    unsigned char bytes[kStep] = {};
    std::memcpy(bytes, text.data + depth, text.size - depth);
    text.head = BigEndian(bytes);
    text.tail = BigEndian(bytes + kWord);
}

bool SameStep(const SortText& a, const SortText& b)
{
    return a.head == b.head && a.tail == b.tail;
}

struct Group {
    SortText* first;
    SortText* last;
    std::size_t depth;
};

// Texts of a run that all end within the step they agree on differ only in how many zero bytes
// end them, if at all: the shorter first, then by row.
void OrderEnded(SortText* first, SortText* last, bool rowsUp)
{
    std::sort(first, last, [rowsUp](const SortText& a, const SortText& b) {
        if (a.size != b.size) {
            return a.size < b.size;
        }
        return rowsUp ? a.row < b.row : a.row > b.row;
    });
}

} // namespace

void SortTexts(std::span<SortText> texts, bool ascending)
{
    // Descending is the ascending order read backwards, with ties ordered backwards beforehand
    // so that they come out in their rows' order.
    const bool rowsUp = ascending;
    std::vector<Group> pending;
    if (texts.size() > 1) {
        pending.push_back({texts.data(), texts.data() + texts.size(), 0});
    }
    // Each group is sorted by its next step; within a run of one step, the texts that end there
    // come first (the others start with them) and the rest form a group one step deeper.
    while (!pending.empty()) {
        const Group group = pending.back();
        pending.pop_back();
        const std::size_t count = static_cast<std::size_t>(group.last - group.first);
        bool allAlike = true;
        for (std::size_t i = 0; i < count; ++i) {
            if (i + kPrefetchAhead < count) {
                __builtin_prefetch(group.first[i + kPrefetchAhead].data + group.depth);
            }
            ReadStep(group.first[i], group.depth);
            allAlike = allAlike && SameStep(group.first[i], group.first[0]);
        }
        if (!allAlike) {
            std::sort(group.first, group.last, [](const SortText& a, const SortText& b) {
                return a.head != b.head ? a.head < b.head : a.tail < b.tail;
            });
        }
        const std::size_t ends = group.depth + kStep;
        for (SortText* run = group.first; run != group.last;) {
            SortText* runEnd = run + 1;
            while (runEnd != group.last && SameStep(*runEnd, *run)) {
                ++runEnd;
            }
            if (runEnd - run > 1) {
                SortText* longer = std::partition(run, runEnd, [ends](const SortText& t) { return t.size <= ends; });
                OrderEnded(run, longer, rowsUp);
                if (runEnd - longer > 1) {
                    pending.push_back({longer, runEnd, ends});
                }
            }
            run = runEnd;
        }
    }
    if (!ascending) {
        std::reverse(texts.begin(), texts.end());
    }
}

} // namespace velkan::search
