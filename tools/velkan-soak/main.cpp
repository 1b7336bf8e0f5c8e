// velkan-soak: searches again and again against a local network with every kind of hostile
// peer, then prints how many searches ran and the peak resident memory of the first and the
// last tenth of the run.

#include "tools/velkan-soak/soakrun.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace {

double Megabytes(std::uint64_t bytes)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Searches again and again against a local network with every kind of hostile peer and "
        "prints the number of searches and the peak resident memory of the first and last tenth."));
    parser.addHelpOption();
    const QCommandLineOption minutes(QStringLiteral("minutes"), QStringLiteral("How long to run (default 1)."),
                                     QStringLiteral("MINUTES"), QStringLiteral("1"));
    parser.addOption(minutes);
    parser.process(application);
    bool number = false;
    const double length = parser.value(minutes).toDouble(&number);
    if (!number || length <= 0 || length > 24 * 60) {
        std::fprintf(stderr, "velkan-soak: --minutes takes a number above 0, at most a day\n");
        return 2;
    }

    velkan::soak::SoakRun run(std::chrono::milliseconds(static_cast<std::int64_t>(length * 60000)));
    const velkan::soak::SoakRun::Figures figures = run.Run();
    const double first = Megabytes(figures.firstTenthPeak);
    const double last = Megabytes(figures.lastTenthPeak);
    std::printf("searches: %d (%d stopped after %lld s without ending)\n", figures.searches, figures.stuck,
                static_cast<long long>(velkan::soak::SoakRun::kStuckAfter.count()));
    std::printf("peak RSS, first tenth: %.1f MB\n", first);
    std::printf("peak RSS, last tenth: %.1f MB (%.1f %% of the first)\n", last, first > 0 ? 100.0 * last / first : 0.0);
    std::printf("input budget: peak %.1f MB of %.1f MB, %zu connections closed to stay within it\n",
                Megabytes(figures.budgetPeak), Megabytes(figures.budgetLimit), figures.evictions);
    return figures.stuck == 0 ? 0 : 1;
}
