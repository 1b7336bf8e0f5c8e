#include "search/resultorder.h"

#include "search/compareresults.h"
#include "search/searchresult.h"
#include "search/sidebyside.h"
#include "search/textsort.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <string_view>
#include <utility>

namespace velkan::search {

namespace {

// Rows are read through their record pointers in whatever order the last sort left them; asking
// for records a little ahead keeps many of those reads under way at once.
constexpr std::size_t kPrefetchAhead = 16;

void PrefetchRecord(const std::vector<ResultRow>& rows, std::size_t row)
{
    if (row + kPrefetchAhead < rows.size()) {
        __builtin_prefetch(rows[row + kPrefetchAhead].record);
    }
}

template <typename Key> struct KeyedRow {
    Key key;
    std::uint32_t row;
};

// An unsigned key whose order is the number's order in the wanted direction.
template <typename Key, typename Number> Key OrderKey(Number value, bool ascending)
{
    constexpr Key kSignBit = Key{1} << (sizeof(Key) * 8 - 1);
    const Key key = static_cast<Key>(value) ^ kSignBit;
    return ascending ? key : static_cast<Key>(~key);
}

// A stable least-significant-digit radix sort, one byte per pass; a byte that all keys share
// (the high bytes of sizes and speeds mostly) costs no pass. Returns the positions in order.
template <typename Key> SortBuffer<std::uint32_t> RadixOrder(const SortBuffer<KeyedRow<Key>>& items)
{
    constexpr std::size_t kPasses = sizeof(Key);
    const std::size_t count = items.size();
    std::array<std::array<std::uint32_t, 256>, kPasses> histograms{};
    for (const KeyedRow<Key>& item : items) {
        for (std::size_t pass = 0; pass < kPasses; ++pass) {
            ++histograms[pass][(item.key >> (pass * 8)) & 0xFF];
        }
    }
    SortBuffer<KeyedRow<Key>> scratch(count);
    KeyedRow<Key>* from = items.data();
    KeyedRow<Key>* to = scratch.data();
    for (std::size_t pass = 0; pass < kPasses && count > 0; ++pass) {
        std::array<std::uint32_t, 256>& histogram = histograms[pass];
        if (histogram[(from[0].key >> (pass * 8)) & 0xFF] == count) {
            continue;
        }
        std::uint32_t next = 0;
        for (std::uint32_t& bucket : histogram) {
            next += std::exchange(bucket, next);
        }
        for (std::size_t i = 0; i < count; ++i) {
            to[histogram[(from[i].key >> (pass * 8)) & 0xFF]++] = from[i];
        }
        std::swap(from, to);
    }
    SortBuffer<std::uint32_t> order(count);
    for (std::size_t i = 0; i < count; ++i) {
        order[i] = from[i].row;
    }
    return order;
}

template <typename Key, typename NumberOf>
SortBuffer<std::uint32_t> NumberOrder(const std::vector<ResultRow>& rows, NumberOf numberOf,
                                      bool ascending)
{
    SortBuffer<KeyedRow<Key>> items(rows.size());
    InTwoHalves(rows.size(), [&](std::size_t begin, std::size_t end) {
        for (std::size_t row = begin; row < end; ++row) {
            PrefetchRecord(rows, row);
            items[row] = {OrderKey<Key>(numberOf(*rows[row].record), ascending),
                          static_cast<std::uint32_t>(row)};
        }
    });
    return RadixOrder(items);
}

// How many bytes every row's text starts with alike (paths that all begin "C:\share\"): the
// texts order as what follows them does, and the sort need not read them. Reading stops at the
// first row that shares nothing.
template <typename TextOf> std::size_t SharedStart(const std::vector<ResultRow>& rows, TextOf textOf)
{
    if (rows.empty()) {
        return 0;
    }
    const std::string_view first = textOf(*rows[0].record);
    std::size_t shared = first.size();
    for (std::size_t row = 1; row < rows.size() && shared > 0; ++row) {
        PrefetchRecord(rows, row);
        const std::string_view text = textOf(*rows[row].record);
        const std::size_t limit = std::min(shared, text.size());
        std::size_t same = 0;
        while (same < limit && text[same] == first[same]) {
            ++same;
        }
        shared = same;
    }
    return shared;
}

template <typename TextOf>
SortBuffer<std::uint32_t> TextOrder(const std::vector<ResultRow>& rows, TextOf textOf,
                                    bool ascending)
{
    const std::size_t shared = SharedStart(rows, textOf);
    SortBuffer<SortText> texts(rows.size());
    InTwoHalves(rows.size(), [&](std::size_t begin, std::size_t end) {
        for (std::size_t row = begin; row < end; ++row) {
            PrefetchRecord(rows, row);
            const std::string_view text = textOf(*rows[row].record).substr(shared);
            texts[row] = {text.data(), static_cast<std::uint32_t>(text.size()), static_cast<std::uint32_t>(row)};
            ReadFirstKey(texts[row], ascending);
        }
    });
    SortTextsWithFirstKeys(texts.Span(), ascending);
    SortBuffer<std::uint32_t> order(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        order[i] = texts[i].row;
    }
    return order;
}

} // namespace

SortBuffer<std::uint32_t> ResultOrder(const std::vector<ResultRow>& rows, int column,
                                      bool ascending)
{
    switch (column) {
    case NickColumn:
        return TextOrder(rows, [](const SearchResult& r) { return r.nick(); }, ascending);
    case NameColumn:
        return TextOrder(rows, [](const SearchResult& r) { return r.path(); }, ascending);
    case DateColumn:
        return TextOrder(rows, [](const SearchResult& r) { return r.date(); }, ascending);
    case SizeColumn:
        return NumberOrder<std::uint64_t>(rows, [](const SearchResult& r) { return r.size; },
                                          ascending);
    case SpeedColumn:
        return NumberOrder<std::uint32_t>(rows, [](const SearchResult& r) { return r.speed; },
                                          ascending);
    default: {
        SortBuffer<std::uint32_t> order(rows.size());
        std::iota(order.begin(), order.end(), 0U);
        return order;
    }
    }
}

} // namespace velkan::search
