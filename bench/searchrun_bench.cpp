// Whole searches against a local network in this process: the fan-out's pacing, the longest
// event-loop handler while a search fills the shown panel, and a reply's cost on a short and
// on a long server list.

#include "bench/cputime.h"
#include "bench/handlertimer.h"
#include "bench/replydata.h"

#include "search/fanouttimer.h"
#include "search/findreplyhandler.h"
#include "search/hostresolver.h"
#include "tools/velkan-localnet/network.h"
#include "search/resultmodel.h"
#include "search/searchengine.h"
#include "ui/searchpanel.h"

#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

using namespace velkan;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWaitMs = 120000;
// Every generated path holds it, so every item matches the search.
constexpr std::string_view kSearchText = ":";

// Runs the event loop until done() holds or the wait runs out; false then.
bool RunUntil(const std::function<bool()>& done, int limitMs = kWaitMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    QEventLoop loop;
    while (!done()) {
        if (Clock::now() > deadline) {
            return false;
        }
        loop.processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

// A peer's share of folders files: each folder gives a folder row and its files' rows.
std::vector<localnet::SharedFile> Share(int peer, int folders, int filesPerFolder)
{
    static const char* const kExtensions[] = {"mp3", "avi", "jpg", "txt", "zip", "doc",
                                              "ogg", "wmv", "png", "pdf", "rar", "MP3"};
    std::vector<localnet::SharedFile> files;
    for (int folder = 0; folder < folders; ++folder) {
        for (int file = 0; file < filesPerFolder; ++file) {
            const int n = folder * filesPerFolder + file;
            files.push_back({.path = "C:\\share" + std::to_string(peer) + "\\folder" +
                                     std::to_string(folder) + "\\file " + std::to_string(n) + "." +
                                     kExtensions[(peer + n) % 12],
                             .date = "2004-01-" + std::to_string(10 + n % 18) + " 10:" +
                                     std::to_string(10 + n % 50),
                             .size = 1000 + static_cast<std::int64_t>(peer) * 7919 * n,
                             .flags = 0,
                             .extra = 0});
        }
    }
    return files;
}

struct LocalSearch {
    LocalSearch(int peers, int folders, int filesPerFolder)
    {
        for (int peer = 0; peer < peers; ++peer) {
            network.AddPeer({.nick = "peer" + std::to_string(peer),
                             .speed = 100 + peer % 200,
                             .generateFiles = [=] { return Share(peer, folders, filesPerFolder); }});
        }
        network.Start();
        panel = std::make_unique<ui::SearchPanel>(ui::PanelSeams{
            .search = {.appServer = {"127.0.0.1", network.AppServerPort(), 10000}}});
        panel->Initialize({});
        QObject::connect(&panel->Engine(), &search::SearchEngine::serverListFetched,
                         [this] { fanOutStart = Clock::now(); });
    }
    ~LocalSearch()
    {
        panel.reset();
        network.Stop();
    }

    localnet::Network network;
    std::unique_ptr<ui::SearchPanel> panel;
    Clock::time_point fanOutStart;
};

// Args: peers. Fan-out start to the last reply's rows, over peers x 30 ms.
void BM_FanOutPacing(benchmark::State& state)
{
    const int peers = static_cast<int>(state.range(0));
    double ratio = 0;
    for (auto _ : state) {
        LocalSearch search(peers, 1, 1);
        search::ResultModel& model = search.panel->Model();
        search.panel->Engine().StartSearch(kSearchText);
        if (!RunUntil([&] { return model.rowCount() >= 2 * peers; })) {
            state.SkipWithError("the search did not bring every row");
            return;
        }
        const std::chrono::duration<double> elapsed = Clock::now() - search.fanOutStart;
        state.SetIterationTime(elapsed.count());
        ratio = elapsed.count() / (peers * search::SearchEngine::kFanOutIntervalMs / 1000.0);
    }
    state.counters["over_Nx30ms"] = ratio;
}
BENCHMARK(BM_FanOutPacing)->Arg(100)->Arg(500)->UseManualTime()->Iterations(1)->Repetitions(1)->Unit(benchmark::kMillisecond);

// Five hundred peers of 400 rows each fill the shown panel with 200,000 rows: the longest the
// event loop was held by one handler meanwhile.
void BM_LongestHandlerDuringSearch(benchmark::State& state)
{
    constexpr int kPeers = 500;
    constexpr int kRowsPerPeer = 400; // 40 folders of 9 files
    auto& application = static_cast<bench::HandlerTimingApplication&>(*QCoreApplication::instance());
    double longestMs = 0;
    for (auto _ : state) {
        LocalSearch search(kPeers, 40, 9);
        search.panel->resize(960, 640);
        search.panel->show();
        RunUntil([] { return false; }, 200); // the panel's first paint and what follows it
        application.StartTiming();
        search.panel->Engine().StartSearch(kSearchText);
        const bool complete = RunUntil([&] { return search.panel->Model().rowCount() >= kPeers * kRowsPerPeer; });
        application.StopTiming();
        if (!complete) {
            state.SkipWithError("the search did not bring every row");
            return;
        }
        longestMs = std::chrono::duration<double, std::milli>(application.Longest()).count();
        state.SetIterationTime(longestMs / 1000.0);
        std::fprintf(stderr, "longest handler %.2f ms: %s\n", longestMs, application.LongestWhat().c_str());
    }
    state.counters["longest_ms"] = longestMs;
}
BENCHMARK(BM_LongestHandlerDuringSearch)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// Peers whose replies hold ten thousand items each (twenty files a folder) fill the shown panel
// up to its row bound, twice, as a user searching again: the most CPU time of the panel's thread
// one handler took meanwhile. bench/run-benchmarks runs it in a process of its own: Qt's row
// header grows its table of rows as they come, and in a process that has freed earlier lists of
// a million rows the allocator serves that growth by copying instead of moving the pages.
void BM_LongestHandlerLongReplies(benchmark::State& state)
{
    constexpr int kFolders = 500;
    constexpr int kFilesPerFolder = 20;
    constexpr int kRowsPerPeer = kFolders * (kFilesPerFolder + 1);
    constexpr int kPeers = search::ResultModel::kDefaultRowLimit / kRowsPerPeer + 1;
    constexpr int kSearches = 2;
    auto& application = static_cast<bench::HandlerTimingApplication&>(*QCoreApplication::instance());
    for (auto _ : state) {
        LocalSearch search(kPeers, kFolders, kFilesPerFolder);
        search.panel->resize(960, 640);
        search.panel->show();
        RunUntil([] { return false; }, 200); // the panel's first paint and what follows it
        bool idle = false;
        QObject::connect(&search.panel->Engine(), &search::SearchEngine::searchIdle, [&] { idle = true; });
        application.StartTiming();
        for (int round = 0; round < kSearches; ++round) {
            idle = false;
            search.panel->Engine().StartSearch(kSearchText);
            if (!RunUntil([&] { return idle; }) || search.panel->Model().HasRoomFor(2)) {
                state.SkipWithError("a search did not fill the list");
                return;
            }
        }
        application.StopTiming();
        state.SetIterationTime(application.LongestCpuMs() / 1000.0);
        state.counters["longest_cpu_ms"] = application.LongestCpuMs();
        state.counters["longest_wall_ms"] = std::chrono::duration<double, std::milli>(application.Longest()).count();
        std::fprintf(stderr, "longest handler %.2f ms of CPU (%s), %.2f ms wall (%s)\n", application.LongestCpuMs(),
                     application.LongestCpuWhat().c_str(),
                     std::chrono::duration<double, std::milli>(application.Longest()).count(),
                     application.LongestWhat().c_str());
    }
}
BENCHMARK(BM_LongestHandlerLongReplies)->UseManualTime()->Iterations(1)->Repetitions(1)->Unit(benchmark::kMillisecond);

// A resolver whose lookups never answer, as a name server that has gone quiet.
class UnansweringResolver final : public search::HostResolver {
public:
    void Lookup(const std::string&, search::LookupReply reply) override { m_held.push_back(std::move(reply)); }

private:
    std::vector<search::LookupReply> m_held;
};

// A list of twenty host names that never resolve among twenty honest peers, on a shown panel:
// the longest the event loop was held by one handler from the search's start until the last
// lookup gave up and the search came to rest.
void BM_LongestHandlerWithUnansweredNames(benchmark::State& state)
{
    constexpr int kNames = 20;
    constexpr int kPeers = 20;
    auto& application = static_cast<bench::HandlerTimingApplication&>(*QCoreApplication::instance());
    double longestMs = 0;
    for (auto _ : state) {
        localnet::Network network;
        std::string list;
        for (int peer = 0; peer < kPeers; ++peer) {
            const std::uint16_t port = network.AddPeer({.nick = "peer" + std::to_string(peer),
                                                        .generateFiles = [=] { return Share(peer, 4, 9); }});
            list += "peer" + std::to_string(peer) + ",127.0.0.1," + std::to_string(port) + ",100|";
            if (peer < kNames) {
                list += "quiet" + std::to_string(peer) + ",quiet" + std::to_string(peer) + ".invalid,9000,100|";
            }
        }
        network.ServeScript({.pieces = {list + "\r\n"}});
        network.Start();
        UnansweringResolver resolver;
        ui::SearchPanel panel(ui::PanelSeams{
            .search = {.appServer = {"127.0.0.1", network.AppServerPort(), 10000}, .resolver = &resolver}});
        panel.Initialize({});
        panel.resize(960, 640);
        panel.show();
        RunUntil([] { return false; }, 200);
        bool idle = false;
        QObject::connect(&panel.Engine(), &search::SearchEngine::searchIdle, [&] { idle = true; });
        application.StartTiming();
        const Clock::time_point start = Clock::now();
        panel.Engine().StartSearch(kSearchText);
        const bool rested = RunUntil([&] { return idle; });
        application.StopTiming();
        if (!rested || panel.Model().rowCount() < kPeers * 40) {
            state.SkipWithError("the search did not come to rest with every honest row");
            return;
        }
        longestMs = std::chrono::duration<double, std::milli>(application.Longest()).count();
        state.SetIterationTime(longestMs / 1000.0);
        std::fprintf(stderr, "longest handler %.2f ms (%s) over a search of %.1f s\n", longestMs,
                     application.LongestWhat().c_str(),
                     std::chrono::duration<double>(Clock::now() - start).count());
        network.Stop();
    }
    state.counters["longest_ms"] = longestMs;
}
BENCHMARK(BM_LongestHandlerWithUnansweredNames)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// The process's peak resident memory so far, in MB.
double PeakRssMb()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// One search among twenty honest peers, with trickling peers listed before them: each sends a
// 15 MiB line without end at about 1 MiB/s. Runs until the search rests or limitMs passes.
void SearchAmongTricklers(int tricklers, int limitMs, std::size_t budgetBytes)
{
    localnet::Network network;
    localnet::HostileTuning tuning;
    tuning.trickleCap = std::uint64_t{15} << 20;
    tuning.trickleBytesPerWrite = 16 * 1024;
    tuning.trickleInterval = std::chrono::milliseconds(16);
    for (int peer = 0; peer < tricklers; ++peer) {
        network.AddPeer({.nick = "trickle" + std::to_string(peer),
                         .behaviour = localnet::PeerBehaviour::Trickle,
                         .tuning = tuning});
    }
    for (int peer = 0; peer < 20; ++peer) {
        network.AddPeer({.nick = "peer" + std::to_string(peer), .generateFiles = [=] { return Share(peer, 4, 9); }});
    }
    network.Start();
    search::ConnectionLimits limits;
    limits.inputBudgetBytes = budgetBytes;
    ui::SearchPanel panel(ui::PanelSeams{
        .search = {.appServer = {"127.0.0.1", network.AppServerPort(), 10000}, .limits = limits}});
    panel.Initialize({});
    bool idle = false;
    QObject::connect(&panel.Engine(), &search::SearchEngine::searchIdle, [&] { idle = true; });
    panel.Engine().StartSearch(kSearchText);
    RunUntil([&] { return idle; }, limitMs);
    network.Stop();
}

// Peak resident memory of a search among honest peers alone, then with five hundred trickling
// peers besides: what the trickle adds. Arg: the input budget in MiB (the product's is 64; with
// 1 the figure is what the trickle costs besides pending input). Run each in a process of its own.
void BM_PeakRssWithTricklingPeers(benchmark::State& state)
{
    const std::size_t budget = static_cast<std::size_t>(state.range(0)) << 20;
    for (auto _ : state) {
        SearchAmongTricklers(0, kWaitMs, budget);
        const double honest = PeakRssMb();
        SearchAmongTricklers(500, 45000, budget);
        const double trickling = PeakRssMb();
        state.counters["honest_peak_MB"] = honest;
        state.counters["trickling_peak_MB"] = trickling;
        state.counters["added_MB"] = trickling - honest;
    }
}
BENCHMARK(BM_PeakRssWithTricklingPeers)->Arg(64)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

// A fan-out timer that never ticks: the engine fetches its list and contacts nobody.
class StillTimer final : public search::FanOutTimer {
public:
    void SetCallback(std::function<void()>) override {}
    void Start(int) override { m_active = true; }
    void Stop() override { m_active = false; }
    [[nodiscard]] bool IsActive() const override { return m_active; }

private:
    bool m_active = false;
};

std::string ListNick(int entry)
{
    return "srv" + std::to_string(entry);
}

// A panel whose engine has fetched a list of entries servers and contacts none of them.
struct ListedPanel {
    explicit ListedPanel(int count) : entries(count)
    {
        std::string list;
        for (int entry = 0; entry < count; ++entry) {
            if (entry > 0) {
                list += '|';
            }
            list.append(ListNick(entry)).append(",127.0.0.1,").append(std::to_string(1024 + entry));
            list.append(",").append(std::to_string(entry % 300)).append(",0");
        }
        network.ServeScript({.pieces = {list + "\r\n"}});
        network.Start();
        panel = std::make_unique<ui::SearchPanel>(ui::PanelSeams{
            .search = {.appServer = {"127.0.0.1", network.AppServerPort(), 10000}, .timer = &timer}});
        panel->Initialize({});
        bool fetched = false;
        QObject::connect(&panel->Engine(), &search::SearchEngine::serverListFetched, [&] { fetched = true; });
        panel->Engine().StartSearch(kSearchText);
        ready = RunUntil([&] { return fetched; }) &&
                static_cast<int>(panel->Engine().ServerList().size()) == count;
        handler = std::make_unique<search::FindReplyHandler>(panel->Engine().Config(), panel->Model(),
                                                              panel->Icons());
    }
    ~ListedPanel()
    {
        handler.reset();
        panel.reset();
        network.Stop();
    }

    // Replies from servers spread over the list, each looked up in the engine's list and
    // handled as the engine handles a reply.
    void Handle(const std::vector<std::string>& lines)
    {
        int found = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string nick = ListNick(static_cast<int>((i * 7919 + 13) % static_cast<std::size_t>(entries)));
            handler->Handle(lines[i], nick, panel->Engine().FindServerEntry(nick), found);
        }
    }

    int entries;
    localnet::Network network;
    StillTimer timer;
    std::unique_ptr<ui::SearchPanel> panel;
    std::unique_ptr<search::FindReplyHandler> handler;
    bool ready = false;
};

// Replies of twenty items handled by an engine with a 100-entry list and by one with a
// 10,000-entry list, both in each iteration; CPU ms of each are counters.
void BM_ReplyWithServerList(benchmark::State& state)
{
    ListedPanel shortList(100);
    ListedPanel longList(10000);
    if (!shortList.ready || !longList.ready) {
        state.SkipWithError("a server list did not arrive");
        return;
    }
    const std::vector<std::string> lines = bench::GeneratedReplyLines(500, 20, 31);
    shortList.Handle(lines); // every extension's picture is loaded before anything is timed
    longList.Handle(lines);
    double shortMs = 0;
    double longMs = 0;
    const auto timed = [&](ListedPanel& listed) {
        listed.panel->Model().Clear();
        return bench::CpuMsOf([&] { listed.Handle(lines); });
    };
    bool longFirst = false;
    for (auto _ : state) {
        // In turns, so that neither always comes first.
        if (longFirst) {
            longMs += timed(longList);
        }
        shortMs += timed(shortList);
        if (!longFirst) {
            longMs += timed(longList);
        }
        longFirst = !longFirst;
    }
    state.counters["list_100_ms"] = benchmark::Counter(shortMs, benchmark::Counter::kAvgIterations);
    state.counters["list_10000_ms"] = benchmark::Counter(longMs, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ReplyWithServerList)->Unit(benchmark::kMillisecond)->Iterations(30);

} // namespace
