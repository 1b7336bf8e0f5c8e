// The text columns' sort on three shapes of a million rows, against the floor: std::sort of
// (text, row) pairs read from the same rows, bytes compared. Both are timed from the rows to the
// finished order, from the same starting order, in the same iteration, in CPU time of the whole
// process: our sort takes a second core for a million rows.

#include "bench/cputime.h"

#include "search/compareresults.h"
#include "search/resultmodel.h"
#include "search/resultorder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>

using namespace velkan;

namespace {

constexpr int kRows = 1'000'000;

enum Shape { DifferEarly = 0, LongSharedStart = 1, Korean = 2 };

std::string Word(std::mt19937& random, std::size_t letters)
{
    std::string word;
    for (std::size_t i = 0; i < letters; ++i) {
        word += static_cast<char>('a' + random() % 26);
    }
    return word;
}

// Two CP949 bytes of a common Hangul syllable.
std::string Syllable(std::mt19937& random)
{
    return {static_cast<char>(0xB0 + random() % 0x19), static_cast<char>(0xA1 + random() % 0x5E)};
}

std::string KoreanWord(std::mt19937& random, std::size_t syllables)
{
    std::string word;
    for (std::size_t i = 0; i < syllables; ++i) {
        word += Syllable(random);
    }
    return word;
}

// Twenty files a folder; a nickname per peer of five hundred.
std::pair<std::string, std::string> NickAndPath(Shape shape, std::mt19937& random, int row)
{
    const int folder = row / 20;
    switch (shape) {
    case DifferEarly:
        return {"peer" + std::to_string(random() % 500),
                Word(random, 6) + "\\" + Word(random, 8) + std::to_string(folder) + "\\" + Word(random, 10) + ".mp3"};
    case LongSharedStart:
        // One share whose folders all sit a few levels down the same long path.
        return {"peer" + std::to_string(random() % 500),
                "C:\\share\\Music\\Live & Studio" + std::to_string(folder % 3) + "\\Concert Recordings\\Disc " +
                    std::to_string(folder % 7) + "\\Track " + std::to_string(row) + ".mp3"};
    case Korean:
    default: {
        std::mt19937 peer(static_cast<std::uint32_t>(random() % 500));
        std::string path = "C:\\" + KoreanWord(random, 4);
        while (path.size() < 100 + random() % 40) {
            path += "\\" + KoreanWord(random, 3 + random() % 8);
        }
        return {KoreanWord(peer, 3), path + ".mp3"};
    }
    }
}

search::ResultModel& ShapedRows(Shape shape)
{
    static std::unique_ptr<search::ResultModel> models[3];
    std::unique_ptr<search::ResultModel>& model = models[shape];
    if (model) {
        return *model;
    }
    model = std::make_unique<search::ResultModel>();
    std::mt19937 random(31 + shape);
    std::vector<search::ResultRow> rows;
    rows.reserve(kRows);
    for (int row = 0; row < kRows; ++row) {
        const auto [nick, path] = NickAndPath(shape, random, row);
        const search::SearchResult* record = model->AddRecord(
            {.nick = nick, .path = path, .date = "2004-01-02 10:11",
             .size = static_cast<std::int64_t>(random() % 5'000'000'000ULL), .speed = 10});
        rows.push_back({record, 0, search::ResultRow::Kind::File});
    }
    // Rows come folder by folder; a click finds them in another column's order.
    model->AppendRows(rows);
    model->sort(search::SizeColumn, Qt::AscendingOrder);
    return *model;
}

std::vector<std::uint32_t> FloorOrder(const search::ResultModel& model, int column)
{
    std::vector<std::pair<std::string_view, std::uint32_t>> keyed(static_cast<std::size_t>(model.rowCount()));
    for (int row = 0; row < model.rowCount(); ++row) {
        const search::SearchResult& record = *model.Row(row).record;
        keyed[static_cast<std::size_t>(row)] = {column == search::NickColumn ? record.nick() : record.path(),
                                                static_cast<std::uint32_t>(row)};
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::uint32_t> order(keyed.size());
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        order[i] = keyed[i].second;
    }
    return order;
}

// Args: shape, column.
void BM_TextSort(benchmark::State& state)
{
    const search::ResultModel& model = ShapedRows(static_cast<Shape>(state.range(0)));
    const int column = static_cast<int>(state.range(1));
    std::vector<search::ResultRow> rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        rows.push_back(model.Row(row));
    }
    double ours = 0;
    double floor = 0;
    for (auto _ : state) {
        std::optional<search::SortBuffer<std::uint32_t>> sorted;
        ours += bench::CpuMsOf([&] { sorted.emplace(search::ResultOrder(rows, column, true)); }, bench::ProcessCpuMs);
        std::vector<std::uint32_t> floored;
        floor += bench::CpuMsOf([&] { floored = FloorOrder(model, column); }, bench::ProcessCpuMs);
        if (!std::equal(sorted->begin(), sorted->end(), floored.begin(), floored.end())) {
            state.SkipWithError("the sort and the floor disagree");
            return;
        }
    }
    state.counters["ours_ms"] = benchmark::Counter(ours, benchmark::Counter::kAvgIterations);
    state.counters["floor_ms"] = benchmark::Counter(floor, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_TextSort)
    ->ArgsProduct({{DifferEarly, LongSharedStart, Korean}, {search::NickColumn, search::NameColumn}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace
