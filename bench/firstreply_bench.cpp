// The first reply of a panel's life against a later one with as many new file types, each
// sample in a fresh process: what the first reply pays on its own is what the panel's start-up
// did not load beforehand.

#include "bench/firstreply.h"
#include "bench/handlertimer.h"

#include "search/findreplyhandler.h"
#include "search/resultmodel.h"
#include "ui/searchpanel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace velkan;

namespace {

constexpr int kItems = 60;

// The file types of the local network's shares, in two sets of six.
const char* const kFirstTypes[] = {"mp3", "avi", "gif", "hwp", "smi", "exe"};
const char* const kLaterTypes[] = {"ogg", "mpg", "jpg", "txt", "zip", "doc"};

std::string ReplyOfTypes(const char* const (&types)[6], int peer)
{
    std::string line = "find";
    for (int item = 0; item < kItems; ++item) {
        line += ">C:\\share" + std::to_string(peer) + "\\folder" + std::to_string(item / 10) +
                "\\file " + std::to_string(item) + "." + types[item % 6] +
                "|2004-01-02 10:11|" + std::to_string(1000 + item * 4099) + "|0|0";
    }
    return line;
}

double Milliseconds(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// One sample, run in its own process; swapped chooses which set of types comes first.
void BM_FirstReply(benchmark::State& state)
{
    std::vector<double> first;
    std::vector<double> later;
    std::vector<double> firstPaint;
    std::vector<double> startLongest;
    int sample = 0;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(bench::kFirstReplySampleOption), QString::number(sample++ % 2)});
        if (!child.waitForFinished(60000) || child.exitCode() != 0) {
            state.SkipWithError("a sample process failed");
            return;
        }
        double figures[4] = {};
        if (std::sscanf(child.readAllStandardOutput().constData(), "%lf %lf %lf %lf", &figures[0],
                        &figures[1], &figures[2], &figures[3]) != 4) {
            state.SkipWithError("a sample process printed no figures");
            return;
        }
        first.push_back(figures[0]);
        later.push_back(figures[1]);
        firstPaint.push_back(figures[2]);
        startLongest.push_back(figures[3]);
    }
    std::vector<double> extra(first.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        extra[i] = first[i] - later[i];
    }
    state.counters["first_ms"] = Median(first);
    state.counters["later_ms"] = Median(later);
    state.counters["first_minus_later_ms"] = Median(extra);
    state.counters["first_paint_ms"] = Median(firstPaint);
    state.counters["start_longest_handler_ms"] = Median(startLongest);
}
BENCHMARK(BM_FirstReply)->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace

int velkan::bench::RunFirstReplySample(bool swapped)
{
    auto& application = static_cast<HandlerTimingApplication&>(*QCoreApplication::instance());
    QElapsedTimer sinceStart;
    sinceStart.start();
    double firstPaintMs = -1;
    ui::SearchPanel panel;
    struct PaintWatch : QObject {
        explicit PaintWatch(std::function<void()> onPaint) : m_onPaint(std::move(onPaint)) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint && m_onPaint) {
                std::exchange(m_onPaint, nullptr)();
            }
            return false;
        }
        std::function<void()> m_onPaint;
    } watch([&] { firstPaintMs = Milliseconds(sinceStart); });
    panel.installEventFilter(&watch);
    panel.resize(960, 640);
    application.StartTiming();
    panel.show();
    // A first reply that comes at once: 5 ms after the panel is shown, while what its start-up
    // set going (the icon theme's warm-up) is still under way.
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
    application.StopTiming();

    search::FindReplyHandler handler(panel.Engine().Config(), panel.Model(), panel.Icons());
    const std::string firstLine = ReplyOfTypes(swapped ? kLaterTypes : kFirstTypes, 1);
    const std::string laterLine = ReplyOfTypes(swapped ? kFirstTypes : kLaterTypes, 2);
    int found = 0;
    QElapsedTimer timer;
    timer.start();
    handler.Handle(firstLine, "peer1", nullptr, found);
    const double firstMs = Milliseconds(timer);
    timer.restart();
    handler.Handle(laterLine, "peer2", nullptr, found);
    const double laterMs = Milliseconds(timer);
    std::printf("%.4f %.4f %.4f %.4f\n", firstMs, laterMs, firstPaintMs,
                std::chrono::duration<double, std::milli>(application.Longest()).count());
    return found > 0 ? 0 : 1;
}
