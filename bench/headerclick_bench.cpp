// A column header click as the user feels it: from the mouse press on the header section to the
// end of the list's next paint, on a shown panel whose list is scrolled to its middle with one
// row selected, at a million rows beside the same click at a thousand.

#include "bench/cputime.h"
#include "bench/headerclick.h"
#include "bench/replydata.h"

#include "search/compareresults.h"
#include "search/findreplyhandler.h"
#include "ui/resultlistctrl.h"
#include "search/resultmodel.h"
#include "ui/searchpanel.h"
#include "ui/sortheader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <benchmark/benchmark.h>

#include <memory>

using namespace velkan;

namespace {

constexpr std::size_t kItemsPerLine = 400;

const std::vector<std::string>& ReplyLines()
{
    // About 1.4 rows an item: more than a million rows' worth.
    static const std::vector<std::string> lines = bench::GeneratedReplyLines(2000, kItemsPerLine, 23);
    return lines;
}

const std::vector<channel::ServerEntry>& Servers()
{
    static const std::vector<channel::ServerEntry> servers = [] {
        std::vector<channel::ServerEntry> made;
        for (std::size_t i = 0; i < ReplyLines().size(); ++i) {
            made.push_back(bench::GeneratedServer(i, 23));
        }
        return made;
    }();
    return servers;
}

// The widgets must go before the application object does.
std::unique_ptr<ui::SearchPanel>& Panel()
{
    static std::unique_ptr<ui::SearchPanel> panel;
    return panel;
}

// One shown panel at a time, filled once for a row count: filling is not what is measured.
ui::SearchPanel& FilledPanel(int rows)
{
    std::unique_ptr<ui::SearchPanel>& panel = Panel();
    if (panel && panel->Model().RowLimit() == rows) {
        return *panel;
    }
    panel.reset();
    panel = std::make_unique<ui::SearchPanel>();
    panel->resize(960, 640);
    panel->show();
    QApplication::processEvents();
    search::ResultModel& model = panel->Model();
    model.SetRowLimit(rows);
    search::FindReplyHandler handler(panel->Engine().Config(), model, panel->Icons());
    int found = 0;
    for (std::size_t i = 0; i < ReplyLines().size() && model.rowCount() < rows; ++i) {
        handler.Handle(ReplyLines()[i], Servers()[i].nick, &Servers()[i], found);
    }
    QApplication::processEvents();
    return *panel;
}

// Lets the list paint itself inside the filter, so that the time taken after the call is the end
// of the paint.
class PaintEnd : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || m_painted) {
            return false;
        }
        m_painted = true;
        watched->removeEventFilter(this);
        watched->event(event);
        m_elapsedNs = m_timer.nsecsElapsed();
        m_cpuMs = bench::ProcessCpuMs() - m_cpuStartMs;
        return true;
    }
    void Start()
    {
        m_painted = false;
        m_cpuStartMs = bench::ProcessCpuMs();
        m_timer.start();
    }
    [[nodiscard]] bool Painted() const { return m_painted; }
    [[nodiscard]] double ElapsedMs() const { return static_cast<double>(m_elapsedNs) / 1e6; }
    [[nodiscard]] double CpuMs() const { return m_cpuMs; }

private:
    QElapsedTimer m_timer;
    bool m_painted = false;
    qint64 m_elapsedNs = 0;
    double m_cpuStartMs = 0;
    double m_cpuMs = 0;
};

void SendClick(QWidget* target, QPoint at)
{
    const QPointF local(at);
    const QPointF global(target->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

// Args: rows, column. Each iteration starts from another column's order, the list scrolled to
// its middle with the middle row selected and the list focused.
void BM_HeaderClick(benchmark::State& state)
{
    ui::SearchPanel& panel = FilledPanel(static_cast<int>(state.range(0)));
    ui::ResultListCtrl& list = panel.ResultList();
    const int column = static_cast<int>(state.range(1));
    const int other = column == search::SizeColumn ? search::DateColumn : search::SizeColumn;
    ui::SortHeader& header = *list.Header();
    const QPoint section(header.sectionViewportPosition(column) + header.sectionSize(column) / 2,
                         header.height() / 2);
    double total = 0;
    double cpu = 0;
    for (auto _ : state) {
        list.SortByColumn(other, true);
        const int middle = panel.Model().rowCount() / 2;
        list.SelectRow(middle);
        list.scrollTo(panel.Model().index(middle, 0), QAbstractItemView::PositionAtCenter);
        list.setFocus();
        QApplication::processEvents();
        PaintEnd paintEnd;
        list.viewport()->installEventFilter(&paintEnd);
        paintEnd.Start();
        SendClick(header.viewport(), section);
        while (!paintEnd.Painted()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        total += paintEnd.ElapsedMs();
        cpu += paintEnd.CpuMs();
        state.SetIterationTime(paintEnd.ElapsedMs() / 1e3);
    }
    state.counters["click_to_paint_ms"] = benchmark::Counter(total, benchmark::Counter::kAvgIterations);
    state.counters["click_to_paint_cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_HeaderClick)
    ->ArgsProduct({{1000, 1'000'000},
                   {search::NickColumn, search::NameColumn, search::SizeColumn, search::DateColumn,
                    search::SpeedColumn}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

void velkan::bench::ReleaseHeaderClickPanel()
{
    Panel().reset();
}
