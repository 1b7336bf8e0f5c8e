// The results list with a million rows against the same list with a thousand: painting one
// screenful and scrolling to the end must cost about the same, and a column click must sort
// about as fast as std::sort of the bare keys.

#include "search/compareresults.h"
#include "ui/imagelist.h"
#include "ui/resultlistctrl.h"
#include "search/resultmodel.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>

using namespace velkan;

namespace {

struct Fixture {
    search::ResultModel model;
    ui::ImageList images;
    std::unique_ptr<ui::ResultListCtrl> list;
};

// The widgets must go before the application object does.
std::map<int, std::unique_ptr<Fixture>>& Fixtures()
{
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    return fixtures;
}

// One filled list per row count, built once: filling a million rows is not what is measured.
Fixture& FilledList(int rows)
{
    std::unique_ptr<Fixture>& fixture = Fixtures()[rows];
    if (fixture) {
        return *fixture;
    }
    fixture = std::make_unique<Fixture>();
    std::mt19937 random(42);
    std::vector<search::ResultRow> batch;
    batch.reserve(static_cast<std::size_t>(rows));
    for (int i = 0; i < rows; ++i) {
        const std::string nick = "peer" + std::to_string(random() % 500);
        const std::string path = "C:\\share\\folder" + std::to_string(random() % 1000) + "\\file" +
                                 std::to_string(i) + (i % 3 == 0 ? ".mp3" : ".avi");
        const search::SearchResult* record = fixture->model.AddRecord(
            {.nick = nick, .path = path, .date = "2004-01-02 10:11",
             .size = static_cast<std::int64_t>(random() % 5000000000ULL),
             .speed = static_cast<int>(random() % 300)});
        batch.push_back({record, 0, search::ResultRow::Kind::File});
    }
    fixture->model.AppendRows(batch);
    QPixmap icon(16, 16);
    icon.fill(Qt::darkCyan);
    fixture->images.Add(icon);
    fixture->list = std::make_unique<ui::ResultListCtrl>();
    fixture->list->SetResultModel(&fixture->model);
    fixture->list->SetSmallImages(&fixture->images);
    fixture->list->LoadSpeedImages(QStringLiteral(":/bitmaps/213.bmp"));
    fixture->list->resize(800, 600);
    for (int column = 0; column < 5; ++column) {
        fixture->list->setColumnWidth(column, column == 1 ? 400 : 80);
    }
    fixture->list->show();
    QApplication::processEvents();
    return *fixture;
}

void PaintViewport(ui::ResultListCtrl& list)
{
    QImage canvas(list.viewport()->size(), QImage::Format_RGB32);
    QPainter painter(&canvas);
    list.viewport()->render(&painter);
}

void BM_PaintScreenful(benchmark::State& state)
{
    Fixture& fixture = FilledList(static_cast<int>(state.range(0)));
    fixture.list->scrollToTop();
    for (auto _ : state) {
        PaintViewport(*fixture.list);
    }
}
BENCHMARK(BM_PaintScreenful)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_ScrollToEnd(benchmark::State& state)
{
    Fixture& fixture = FilledList(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        fixture.list->scrollToTop();
        fixture.list->scrollToBottom();
        PaintViewport(*fixture.list);
    }
}
BENCHMARK(BM_ScrollToEnd)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// A column click on a million rows that another column's click has just ordered.
void BM_ColumnSort(benchmark::State& state)
{
    Fixture& fixture = FilledList(1000000);
    const int column = static_cast<int>(state.range(0));
    const int other = column == search::SizeColumn ? search::SpeedColumn : search::SizeColumn;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.list->SortByColumn(other, true);
        state.ResumeTiming();
        fixture.list->SortByColumn(column, true);
    }
}
BENCHMARK(BM_ColumnSort)->Arg(search::SizeColumn)->Arg(search::NameColumn)->Unit(benchmark::kMillisecond);

// The floor: std::sort of the same million keys with nothing attached.
void BM_StdSortKeys(benchmark::State& state)
{
    Fixture& fixture = FilledList(1000000);
    const int column = static_cast<int>(state.range(0));
    // The keys start in the order the column click starts from: another column's.
    fixture.list->SortByColumn(column == search::SizeColumn ? search::SpeedColumn : search::SizeColumn, true);
    std::vector<std::int64_t> sizes;
    std::vector<std::string_view> paths;
    for (int row = 0; row < fixture.model.rowCount(); ++row) {
        sizes.push_back(fixture.model.Row(row).record->size);
        paths.push_back(fixture.model.Row(row).record->path());
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::int64_t> sizeKeys = sizes;
        std::vector<std::string_view> pathKeys = paths;
        state.ResumeTiming();
        if (column == search::SizeColumn) {
            std::sort(sizeKeys.begin(), sizeKeys.end());
        } else {
            std::sort(pathKeys.begin(), pathKeys.end());
        }
        benchmark::DoNotOptimize(sizeKeys.data());
        benchmark::DoNotOptimize(pathKeys.data());
    }
}
BENCHMARK(BM_StdSortKeys)->Arg(search::SizeColumn)->Arg(search::NameColumn)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Fixtures().clear();
    return 0;
}
