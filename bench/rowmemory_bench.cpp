// Peak resident memory per row of processes that end a search with a million rows: the panel
// alone, and velkan-search printing JSON and printing its table. Each is net of the same
// process running a search that finds nothing among the same peers (the panel shown and
// empty). The peers run in this process; each measured process is started by peakrss, so its
// peak holds nothing of this one.

#include "bench/rowmemory.h"

#include "tools/velkan-localnet/network.h"
#include "search/resultmodel.h"
#include "search/searchengine.h"
#include "ui/searchpanel.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>
#include <random>
#include <string>

using namespace velkan;

namespace {

enum Shape { TwoRowsPerFile = 0, TwentyPerFolder = 1, KoreanPaths = 2 };

// Every path holds it; no path holds kNothing.
constexpr const char* kEverything = ":";
constexpr const char* kNothing = "zzqqxx";

// Ten thousand items a reply; half as many with Korean paths, whose replies would otherwise
// outgrow the panel's input budget when many arrive at once.
int FilesPerPeer(Shape shape)
{
    return shape == KoreanPaths ? 5000 : 10000;
}
constexpr int kProcessLimitMs = 600000;

std::string Padded(int value, int digits)
{
    std::string text = std::to_string(value);
    return std::string(text.size() < static_cast<std::size_t>(digits) ? digits - text.size() : 0, '0') + text;
}

// Two CP949 bytes of a common Hangul syllable.
std::string KoreanWord(std::mt19937& random, int syllables)
{
    std::string word;
    for (int i = 0; i < syllables; ++i) {
        word += static_cast<char>(0xB0 + random() % 0x19);
        word += static_cast<char>(0xA1 + random() % 0x5E);
    }
    return word;
}

const char* const kExtensions[] = {".mp3", ".avi", ".jpg", ".txt"};

// A peer's files: 40-byte paths, each in a folder of its own or twenty to a folder; or Korean
// paths of 120 bytes on average, twenty to a folder.
std::vector<localnet::SharedFile> Files(Shape shape, int peer)
{
    std::vector<localnet::SharedFile> files;
    files.reserve(static_cast<std::size_t>(FilesPerPeer(shape)));
    std::mt19937 random(static_cast<std::uint32_t>(peer) * 7919 + 1);
    std::string koreanFolder;
    for (int n = 0; n < FilesPerPeer(shape); ++n) {
        std::string path;
        const std::string extension = kExtensions[n % 4];
        switch (shape) {
        case TwoRowsPerFile:
            path = "C:\\share" + Padded(peer, 3) + "\\folder" + Padded(n, 6) + "\\file " + Padded(n, 6) + extension;
            break;
        case TwentyPerFolder:
            path = "C:\\share" + Padded(peer, 3) + "\\folder" + Padded(n / 20, 6) + "\\file " + Padded(n, 6) +
                   extension;
            break;
        case KoreanPaths:
            if (n % 20 == 0) {
                koreanFolder = "C:\\" + KoreanWord(random, 3);
                const std::size_t length = 60 + random() % 40;
                while (koreanFolder.size() < length) {
                    koreanFolder += "\\" + KoreanWord(random, 2 + static_cast<int>(random() % 6));
                }
            }
            path = koreanFolder + "\\" + KoreanWord(random, 4 + static_cast<int>(random() % 20)) + " " +
                   Padded(n, 5) + extension;
            break;
        }
        files.push_back({.path = std::move(path),
                         .date = "2004-01-" + Padded(10 + n % 18, 2) + " 10:" + Padded(10 + n % 50, 2),
                         .size = 1000 + static_cast<std::int64_t>(n) * 4099,
                         .flags = 0,
                         .extra = 0});
    }
    return files;
}

// Peers enough for a little more than a million rows: the list ends at its limit.
int PeersFor(Shape shape)
{
    const int files = FilesPerPeer(shape);
    const int rowsPerPeer = shape == TwoRowsPerFile ? 2 * files : files + files / 20;
    return search::ResultModel::kDefaultRowLimit / rowsPerPeer + 1;
}

double AveragePathBytes(Shape shape)
{
    double bytes = 0;
    const std::vector<localnet::SharedFile> files = Files(shape, 0);
    for (const localnet::SharedFile& file : files) {
        bytes += static_cast<double>(file.path.size());
    }
    return bytes / static_cast<double>(files.size());
}

// Runs the program under peakrss with its output thrown away; its peak in kB, or nothing when
// it failed.
std::optional<double> PeakKb(const QString& program, const QStringList& arguments, const QString& registry,
                             const QString& resultFile)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VELKAN_REGISTRY"), registry);
    child.setProcessEnvironment(environment);
    child.setStandardOutputFile(QProcess::nullDevice());
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral(VELKAN_PEAKRSS_BINARY), QStringList{resultFile, program} + arguments);
    if (!child.waitForFinished(kProcessLimitMs) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0) {
        std::fprintf(stderr, "%s failed (exit %d)\n", qPrintable(program), child.exitCode());
        return std::nullopt;
    }
    QFile result(resultFile);
    if (!result.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    bool ok = false;
    const double kb = result.readAll().trimmed().toDouble(&ok);
    return ok ? std::optional(kb) : std::nullopt;
}

// Arg: the shape. Counters: bytes per row of each process, the rows and the paths' length.
void BM_PeakRssPerRow(benchmark::State& state)
{
    const auto shape = static_cast<Shape>(state.range(0));
    QTemporaryDir directory;
    const QString registry = directory.filePath(QStringLiteral("registry.reg"));
    const QString resultFile = directory.filePath(QStringLiteral("peak"));
    {
        QProcess regsvr;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VELKAN_REGISTRY"), registry);
        regsvr.setProcessEnvironment(environment);
        regsvr.start(QStringLiteral(VELKAN_REGSVR_BINARY), {QStringLiteral(VELKAN_MODULE_PATH)});
        if (!regsvr.waitForFinished(60000) || regsvr.exitCode() != 0) {
            state.SkipWithError("the module could not be registered");
            return;
        }
    }
    for (auto _ : state) {
        localnet::Network network;
        for (int peer = 0; peer < PeersFor(shape); ++peer) {
            network.AddPeer({.nick = "peer" + Padded(peer, 3),
                             .speed = 50 + peer % 200,
                             .generateFiles = [=] { return Files(shape, peer); }});
        }
        network.Start();
        const QString port = QString::number(network.AppServerPort());
        const QString panel = QCoreApplication::applicationFilePath();
        const auto panelArguments = [&](const char* text) {
            return QStringList{QString::fromLatin1(bench::kRowMemoryPanelOption), port, QString::fromLatin1(text)};
        };
        const auto searchArguments = [&](const char* text, bool json) {
            QStringList arguments{QStringLiteral("--app-server"), QStringLiteral("127.0.0.1:") + port,
                                  QStringLiteral("--search"), QString::fromLatin1(text)};
            if (json) {
                arguments.append(QStringLiteral("--json"));
            }
            return arguments;
        };
        const QString search = QStringLiteral(VELKAN_SEARCH_BINARY);
        // The panel first: it tells the rows, which are the same for every process.
        QProcess counter;
        counter.start(panel, panelArguments(kEverything));
        if (!counter.waitForFinished(kProcessLimitMs) || counter.exitCode() != 0) {
            state.SkipWithError("the panel's search failed");
            return;
        }
        const double rows = counter.readAllStandardOutput().trimmed().toDouble();
        // A full list: no room for another folder of twenty files.
        if (rows < search::ResultModel::kDefaultRowLimit - 21) {
            state.SkipWithError("the search did not fill the list");
            return;
        }
        struct Subject {
            const char* counter;
            QString program;
            QStringList full;
            QStringList empty;
        };
        const Subject subjects[] = {
            {"panel_B_per_row", panel, panelArguments(kEverything), panelArguments(kNothing)},
            {"json_B_per_row", search, searchArguments(kEverything, true), searchArguments(kNothing, true)},
            {"table_B_per_row", search, searchArguments(kEverything, false), searchArguments(kNothing, false)},
        };
        for (const Subject& subject : subjects) {
            const std::optional<double> empty = PeakKb(subject.program, subject.empty, registry, resultFile);
            const std::optional<double> full = PeakKb(subject.program, subject.full, registry, resultFile);
            if (!empty || !full || rows <= 0) {
                state.SkipWithError("a measured process failed");
                return;
            }
            state.counters[subject.counter] = (*full - *empty) * 1024.0 / rows;
            std::fprintf(stderr, "%s: %.0f kB, empty %.0f kB\n", subject.counter, *full, *empty);
        }
        state.counters["rows"] = rows;
        network.Stop();
    }
    state.counters["path_bytes"] = AveragePathBytes(shape);
}
BENCHMARK(BM_PeakRssPerRow)
    ->DenseRange(TwoRowsPerFile, KoreanPaths)
    ->Iterations(1)
    ->Repetitions(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int velkan::bench::RunRowMemoryPanel(int port, const char* searchText)
{
    ui::SearchPanel panel(ui::PanelSeams{.search = {.appServer = {"127.0.0.1", port, 10000}}});
    panel.Initialize({});
    panel.resize(960, 640);
    panel.show();
    QEventLoop loop;
    QObject::connect(&panel.Engine(), &search::SearchEngine::searchIdle, &loop, &QEventLoop::quit);
    QTimer::singleShot(kProcessLimitMs, &loop, [&] { loop.exit(1); });
    panel.Engine().StartSearch(searchText);
    if (loop.exec() != 0) {
        return 1;
    }
    std::printf("%d\n", panel.Model().rowCount());
    return 0;
}
