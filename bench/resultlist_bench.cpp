// The results list at a million rows: bytes per row, each column's sort against
// std::stable_sort of the same keys, and how long clearing the list holds the event loop.

#include "bench/cputime.h"
#include "bench/replydata.h"

#include "channel/blowfish.h"
#include "search/compareresults.h"
#include "search/findreplyhandler.h"
#include "ui/iconcache.h"
#include "ui/resultlistctrl.h"
#include "search/resultmodel.h"
#include "search/startupconfig.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <malloc.h>
#include <memory>

using namespace velkan;

namespace {

constexpr int kRows = 1'000'000;
constexpr std::size_t kItemsPerLine = 400;

// Heap bytes in use, whether malloc served them from its arena or mapped them on their own.
std::size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

const std::vector<std::string>& MillionRowLines()
{
    // About 1.4 rows an item: this is more than a million rows' worth.
    static const std::vector<std::string> lines = bench::GeneratedReplyLines(2000, kItemsPerLine, 23);
    return lines;
}

const std::vector<channel::ServerEntry>& Servers()
{
    static const std::vector<channel::ServerEntry> servers = [] {
        std::vector<channel::ServerEntry> made;
        for (std::size_t i = 0; i < MillionRowLines().size(); ++i) {
            made.push_back(bench::GeneratedServer(i, 23));
        }
        return made;
    }();
    return servers;
}

ui::IconCache& Icons()
{
    static ui::IconCache icons;
    return icons;
}

// Fills the model with replies, as a search does, up to a little short of a million rows.
void FillToAMillion(search::ResultModel& model)
{
    channel::BlowFish cipher;
    const search::StartupConfig config = search::ParseStartupConfig(cipher, {});
    search::FindReplyHandler handler(config, model, Icons());
    const std::vector<std::string>& lines = MillionRowLines();
    int found = 0;
    for (std::size_t i = 0; i < lines.size() && model.rowCount() < kRows - 2 * static_cast<int>(kItemsPerLine); ++i) {
        handler.Handle(lines[i], Servers()[i].nick, &Servers()[i], found);
    }
}

struct MillionRows {
    std::unique_ptr<search::ResultModel> model;
    double bytesPerRow = 0;
    double pathBytes = 0; // per file row
};

MillionRows& SharedMillionRows()
{
    static MillionRows rows = [] {
        Servers();
        Icons();
        MillionRows made;
        made.model = std::make_unique<search::ResultModel>(); // before the count: its own bytes count
        FillToAMillion(*made.model); // one pass loads every extension's picture
        made.model->Clear();
        const std::size_t before = HeapInUse();
        FillToAMillion(*made.model);
        made.bytesPerRow = static_cast<double>(HeapInUse() - before) / made.model->rowCount();
        std::size_t files = 0;
        for (int row = 0; row < made.model->rowCount(); ++row) {
            if (made.model->Row(row).kind == search::ResultRow::Kind::File) {
                made.pathBytes += static_cast<double>(made.model->Row(row).record->path().size());
                ++files;
            }
        }
        made.pathBytes /= static_cast<double>(files);
        return made;
    }();
    return rows;
}

void BM_BytesPerRow(benchmark::State& state)
{
    MillionRows& rows = SharedMillionRows();
    for (auto _ : state) {
        benchmark::DoNotOptimize(rows.bytesPerRow);
    }
    state.counters["rows"] = rows.model->rowCount();
    state.counters["bytes/row"] = rows.bytesPerRow;
    state.counters["path_bytes"] = rows.pathBytes;
}
BENCHMARK(BM_BytesPerRow)->Iterations(1);

// The order a measured sort starts from: another column's, one whose keys are nearly all
// distinct and unrelated to the measured ones, so that the start is the same whatever the rows'
// order was before (a size sort started from speed order would find sorted runs).
void SortByAnotherColumn(search::ResultModel& model, int column)
{
    model.sort(column == search::SizeColumn ? search::DateColumn : search::SizeColumn, Qt::AscendingOrder);
}

template <typename Key, typename KeyOf>
double StableSortOfKeys(const search::ResultModel& model, KeyOf keyOf, bool ascending)
{
    std::vector<Key> keys(static_cast<std::size_t>(model.rowCount()));
    for (int row = 0; row < model.rowCount(); ++row) {
        keys[static_cast<std::size_t>(row)] = keyOf(*model.Row(row).record);
    }
    return bench::CpuMsOf([&] {
        if (ascending) {
            std::stable_sort(keys.begin(), keys.end(), std::less<Key>());
        } else {
            std::stable_sort(keys.begin(), keys.end(), std::greater<Key>());
        }
        benchmark::DoNotOptimize(keys.data());
    });
}

// The floor: std::stable_sort of the keys read from the rows (not timed), in the rows' order.
double StableSortOfKeys(const search::ResultModel& model, int column, bool ascending)
{
    switch (column) {
    case search::NickColumn:
        return StableSortOfKeys<std::string_view>(model, [](const search::SearchResult& r) { return r.nick(); }, ascending);
    case search::NameColumn:
        return StableSortOfKeys<std::string_view>(model, [](const search::SearchResult& r) { return r.path(); }, ascending);
    case search::DateColumn:
        return StableSortOfKeys<std::string_view>(model, [](const search::SearchResult& r) { return r.date(); }, ascending);
    case search::SizeColumn:
        return StableSortOfKeys<std::int64_t>(model, [](const search::SearchResult& r) { return r.size; }, ascending);
    default:
        return StableSortOfKeys<std::int32_t>(model, [](const search::SearchResult& r) { return r.speed; }, ascending);
    }
}

// Args: column, ascending. Each iteration times a column click on a million rows and, from the
// same starting order, the floor; CPU ms of each per iteration are counters.
void BM_ColumnSort(benchmark::State& state)
{
    search::ResultModel& model = *SharedMillionRows().model;
    const int column = static_cast<int>(state.range(0));
    const bool ascending = state.range(1) != 0;
    double click = 0;
    double floor = 0;
    for (auto _ : state) {
        SortByAnotherColumn(model, column);
        click += bench::CpuMsOf([&] { model.sort(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder); },
                                bench::ProcessCpuMs);
        SortByAnotherColumn(model, column);
        floor += StableSortOfKeys(model, column, ascending);
    }
    state.counters["click_ms"] = benchmark::Counter(click, benchmark::Counter::kAvgIterations);
    state.counters["stable_sort_ms"] = benchmark::Counter(floor, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ColumnSort)
    ->Args({search::NickColumn, 1})
    ->Args({search::NameColumn, 1})
    ->Args({search::SizeColumn, 1})
    ->Args({search::DateColumn, 1})
    ->Args({search::SpeedColumn, 1})
    ->Args({search::SizeColumn, 0})
    ->Args({search::SpeedColumn, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// A new search clears a full list while the results list shows it: the time until the event
// loop is free again (wall clock; the list repaints empty within it).
void BM_ClearMillionRows(benchmark::State& state)
{
    search::ResultModel model;
    ui::ResultListCtrl list;
    list.SetResultModel(&model);
    list.SetSmallImages(&Icons().Images());
    list.resize(800, 600);
    list.show();
    for (auto _ : state) {
        FillToAMillion(model);
        list.scrollToBottom();
        QCoreApplication::processEvents();
        const auto start = std::chrono::steady_clock::now();
        model.Clear();
        QCoreApplication::processEvents();
        const std::chrono::duration<double> blocked = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(blocked.count());
    }
}
BENCHMARK(BM_ClearMillionRows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
