#include "search/textsort.h"

#include "search/sidebyside.h"
#include "search/sortmemory.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace velkan::search {

namespace {

constexpr std::size_t kWord = sizeof(std::uint64_t);
// Each step reads sixteen bytes of every text into its key, zeros past the text's end.
constexpr std::size_t kStep = 2 * kWord;
// Among texts whose keys are equal, how a text goes on: a text that ends within the step reads
// as zeros after its end, so it is a start of every text with the same key that is longer.
constexpr std::size_t kGoesOn = kStep + 1;

// Groups this small are ordered by moving each text back past the larger keys.
constexpr std::size_t kSmallGroup = 32;

// Texts are read through pointers in no useful order; asking for the ones a little ahead keeps
// many of those reads under way at once.
constexpr std::size_t kPrefetchAhead = 16;

std::uint64_t BigEndian(const unsigned char* bytes)
{
    std::uint64_t value = 0;
    std::memcpy(&value, bytes, kWord);
    return __builtin_bswap64(value);
}

// The key of the step at depth; flip turns every bit over for a descending order, which reverses
// the order of unequal keys and leaves equal ones equal.
void ReadStep(SortText& text, std::size_t depth, std::uint64_t flip)
{
    const auto* from = reinterpret_cast<const unsigned char*>(text.data + depth);
    if (text.size - depth >= kStep) {
        text.head = BigEndian(from) ^ flip;
        text.tail = BigEndian(from + kWord) ^ flip;
        return;
    }
    unsigned char bytes[kStep] = {};
    std::memcpy(bytes, from, text.size - depth);
    text.head = BigEndian(bytes) ^ flip;
    text.tail = BigEndian(bytes + kWord) ^ flip;
}

// How many bytes the text has from depth on within the step, or kGoesOn.
std::size_t Ending(const SortText& text, std::size_t depth)
{
    const std::size_t left = text.size - depth;
    return left > kStep ? kGoesOn : left;
}

std::uint64_t FlipFor(bool ascending)
{
    return ascending ? 0 : ~std::uint64_t{0};
}

bool SameKey(const SortText& a, const SortText& b)
{
    return a.head == b.head && a.tail == b.tail;
}

bool SameBytes(const SortText* first, const SortText* last)
{
    return std::all_of(first, last, [first](const SortText& text) {
        return text.data == first->data && text.size == first->size;
    });
}

bool KeyBefore(const SortText& a, const SortText& b)
{
    return a.head != b.head ? a.head < b.head : a.tail < b.tail;
}

// A run of texts that share the key bytes before the ones still to be read, at offsets begin to
// end of the texts or, when the last spreading put them there, of the scratch space.
struct Group {
    std::size_t begin;
    std::size_t end;
    std::size_t depth;
    bool keysRead;
    bool inScratch;
};

// Sorts groups of the texts, each on its own: two sorters may share the texts and the scratch
// space as long as their groups do not overlap.
class Sorter {
public:
    Sorter(std::span<SortText> texts, SortText* scratch, std::uint64_t flip)
        : m_texts(texts), m_scratch(scratch), m_flip(flip)
    {
    }

    void Add(const Group& group) { m_pending.push_back(group); }

    void SortPending()
    {
        while (!m_pending.empty()) {
            const Group group = m_pending.back();
            m_pending.pop_back();
            Step(group);
        }
    }

    // Takes the largest group a step further until it holds no more than half of the texts
    // still pending, so that the groups can be dealt out in two even shares. Returns how many
    // texts are pending.
    std::size_t SpreadLargest()
    {
        for (;;) {
            std::size_t pending = 0;
            for (const Group& group : m_pending) {
                pending += Size(group);
            }
            const auto largest = std::max_element(m_pending.begin(), m_pending.end(),
                                                  [](const Group& a, const Group& b) { return Size(a) < Size(b); });
            if (largest == m_pending.end() || Size(*largest) * 2 <= pending) {
                return pending;
            }
            const Group group = *largest;
            *largest = m_pending.back();
            m_pending.pop_back();
            Step(group);
        }
    }

    // Moves about half of the pending texts, in whole groups, to other.
    void DealHalfTo(Sorter& other)
    {
        std::sort(m_pending.begin(), m_pending.end(), [](const Group& a, const Group& b) { return Size(a) > Size(b); });
        std::vector<Group> kept;
        std::size_t keptTexts = 0;
        std::size_t dealtTexts = 0;
        for (const Group& group : m_pending) {
            if (keptTexts <= dealtTexts) {
                kept.push_back(group);
                keptTexts += Size(group);
            } else {
                other.Add(group);
                dealtTexts += Size(group);
            }
        }
        m_pending = std::move(kept);
    }

private:
    static std::size_t Size(const Group& group) { return group.end - group.begin; }

    void Step(const Group& group)
    {
        if (!group.keysRead) {
            ReadKeys(group);
        }
        if (Size(group) <= kSmallGroup) {
            SortSmall(group);
        } else {
            Distribute(group);
        }
    }

    [[nodiscard]] SortText* Base(bool inScratch) const
    {
        return inScratch ? m_scratch : m_texts.data();
    }

    void ReadKeys(const Group& group) const
    {
        SortText* texts = Base(group.inScratch);
        for (std::size_t i = group.begin; i < group.end; ++i) {
            if (i + kPrefetchAhead < group.end) {
                __builtin_prefetch(texts[i + kPrefetchAhead].data + group.depth);
            }
            ReadStep(texts[i], group.depth, m_flip);
        }
    }

    // Texts in their final places go back from the scratch space.
    void Finish(std::size_t begin, std::size_t end, bool inScratch) const
    {
        if (inScratch) {
            std::copy(m_scratch + begin, m_scratch + end, m_texts.data() + begin);
        }
    }

    // Texts whose whole keys are equal: those that end within the step are equal texts when they
    // end alike, the shorter ones first (last when descending); those that go on are ordered by
    // their next step, after (before) them. A stable count by ending keeps equal texts in order.
    void SettleEqualKeys(std::size_t begin, std::size_t end, std::size_t depth, bool inScratch)
    {
        const SortText* run = Base(inScratch);
        const std::size_t ending = Ending(run[begin], depth);
        bool alike = true;
        for (std::size_t i = begin + 1; i < end && alike; ++i) {
            alike = Ending(run[i], depth) == ending;
        }
        if (alike) {
            GoOnOrFinish(begin, end, depth, inScratch);
            return;
        }
        std::array<std::size_t, kGoesOn + 1> counts{};
        for (std::size_t i = begin; i < end; ++i) {
            ++counts[Ending(run[i], depth)];
        }
        std::array<std::size_t, kGoesOn + 1> places{};
        std::size_t next = begin;
        for (std::size_t k = 0; k <= kGoesOn; ++k) {
            const std::size_t value = m_flip == 0 ? k : kGoesOn - k;
            places[value] = next;
            next += counts[value];
        }
        SortText* settled = Base(!inScratch);
        for (std::size_t i = begin; i < end; ++i) {
            settled[places[Ending(run[i], depth)]++] = run[i];
        }
        for (std::size_t value = 0; value <= kGoesOn; ++value) {
            if (counts[value] > 0) {
                GoOnOrFinish(places[value] - counts[value], places[value], depth, !inScratch);
            }
        }
    }

    // Texts with equal keys that end alike: equal texts if they end within the step, or if they
    // are the very same bytes (a folder row and its file row read one record's path).
    void GoOnOrFinish(std::size_t begin, std::size_t end, std::size_t depth, bool inScratch)
    {
        const SortText* run = Base(inScratch);
        if (end - begin > 1 && Ending(run[begin], depth) == kGoesOn && !SameBytes(run + begin, run + end)) {
            m_pending.push_back({begin, end, depth + kStep, false, inScratch});
        } else {
            Finish(begin, end, inScratch);
        }
    }

    void SortSmall(const Group& group)
    {
        SortText* first = Base(group.inScratch) + group.begin;
        SortText* last = Base(group.inScratch) + group.end;
        for (SortText* next = first + 1; next < last; ++next) {
            const SortText moving = *next;
            SortText* place = next;
            while (place != first && KeyBefore(moving, place[-1])) {
                *place = place[-1];
                --place;
            }
            *place = moving;
        }
        for (std::size_t run = group.begin; run != group.end;) {
            std::size_t runEnd = run + 1;
            while (runEnd != group.end && SameKey(first[runEnd - group.begin], first[run - group.begin])) {
                ++runEnd;
            }
            if (runEnd - run == 1) {
                Finish(run, runEnd, group.inScratch);
            } else {
                SettleEqualKeys(run, runEnd, group.depth, group.inScratch);
            }
            run = runEnd;
        }
    }

    // Spreads the group by the first byte of the key on which its texts differ into the other
    // space, keeping their order within each byte value, so that equal texts stay in the order
    // they came in.
    void Distribute(const Group& group)
    {
        const SortText* first = Base(group.inScratch) + group.begin;
        const SortText* last = Base(group.inScratch) + group.end;
        std::uint64_t headDiff = 0;
        std::uint64_t tailDiff = 0;
        for (const SortText* text = first; text != last; ++text) {
            headDiff |= text->head ^ first->head;
            tailDiff |= text->tail ^ first->tail;
        }
        if (headDiff == 0 && tailDiff == 0) {
            SettleEqualKeys(group.begin, group.end, group.depth, group.inScratch);
            return;
        }
        const bool inHead = headDiff != 0;
        const int shift = 56 - (__builtin_clzll(inHead ? headDiff : tailDiff) & ~7);
        const auto digit = [inHead, shift](const SortText& text) {
            return static_cast<std::size_t>(((inHead ? text.head : text.tail) >> shift) & 0xFF);
        };
        std::array<std::size_t, 256> counts{};
        for (const SortText* text = first; text != last; ++text) {
            ++counts[digit(*text)];
        }
        std::array<std::size_t, 256> places{};
        std::size_t next = group.begin;
        for (std::size_t value = 0; value < counts.size(); ++value) {
            places[value] = next;
            next += counts[value];
        }
        const bool spreadInScratch = !group.inScratch;
        SortText* spread = Base(spreadInScratch);
        for (const SortText* text = first; text != last; ++text) {
            spread[places[digit(*text)]++] = *text;
        }
        for (std::size_t value = 0; value < counts.size(); ++value) {
            const std::size_t end = places[value];
            const std::size_t begin = end - counts[value];
            if (counts[value] > 1) {
                m_pending.push_back({begin, end, group.depth, true, spreadInScratch});
            } else if (counts[value] == 1) {
                Finish(begin, end, spreadInScratch);
            }
        }
    }

    std::span<SortText> m_texts;
    SortText* m_scratch;
    std::uint64_t m_flip;
    std::vector<Group> m_pending;
};

void Sort(std::span<SortText> texts, bool ascending, bool firstKeysRead)
{
    if (texts.size() <= 1) {
        return;
    }
    const SortBuffer<SortText> scratch(texts.size());
    Sorter sorter(texts, scratch.data(), FlipFor(ascending));
    sorter.Add({0, texts.size(), 0, firstKeysRead, false});
    if (texts.size() < kWorthASecondThread || sorter.SpreadLargest() < kWorthASecondThread) {
        sorter.SortPending();
        return;
    }
    Sorter other(texts, scratch.data(), FlipFor(ascending));
    sorter.DealHalfTo(other);
    RunSideBySide([&] { sorter.SortPending(); }, [&] { other.SortPending(); });
}

} // namespace

void SortTexts(std::span<SortText> texts, bool ascending)
{
    Sort(texts, ascending, false);
}

void ReadFirstKey(SortText& text, bool ascending)
{
    ReadStep(text, 0, FlipFor(ascending));
}

void SortTextsWithFirstKeys(std::span<SortText> texts, bool ascending)
{
    Sort(texts, ascending, true);
}

} // namespace velkan::search
