// Reply handling: find reply lines to list rows, with no ban words and with the default lists,
// against parsing alone (the floor, today's parser beside the old one) and against a
// QStandardItemModel filled row by row after the same filtering.

#include "bench/cputime.h"
#include "bench/oldfindreplyparser.h"
#include "bench/replydata.h"

#include "channel/blowfish.h"
#include "channel/cp949convert.h"
#include "search/findreplyhandler.h"
#include "ui/iconcache.h"
#include "search/itemfilter.h"
#include "search/outcomerecorder.h"
#include "channel/peerprotocol.h"
#include "search/resultmodel.h"
#include "search/resulttexts.h"
#include "search/startupconfig.h"

#include <QStandardItemModel>
#include <benchmark/benchmark.h>


using namespace velkan;

namespace {

constexpr std::size_t kLines = 100;
constexpr std::size_t kItemsPerLine = 400;

struct Replies {
    std::vector<std::string> lines;
    std::vector<channel::ServerEntry> servers;
};

const Replies& SampleReplies()
{
    static const Replies replies = [] {
        Replies made{bench::GeneratedReplyLines(kLines, kItemsPerLine, 11), {}};
        for (std::size_t i = 0; i < kLines; ++i) {
            made.servers.push_back(bench::GeneratedServer(i, 11));
        }
        return made;
    }();
    return replies;
}

// The lists a control gets when its host sets none: three plain words and ten strip strings.
search::StartupConfig DefaultListsConfig()
{
    channel::BlowFish cipher;
    return search::ParseStartupConfig(cipher, {});
}

search::StartupConfig NoBanWordsConfig()
{
    search::StartupConfig config = DefaultListsConfig();
    config.banWords.clear();
    config.strictBanWords.clear();
    return config;
}

// One list and icon cache, and a handler for each configuration: both fill the same list in
// turn, so that they meet the same memory and the same pictures.
struct Handling {
    // Into the emptied list; only the handling is timed.
    double TimedHandleAll(search::FindReplyHandler& handler, std::int64_t& rows)
    {
        model.Clear();
        return bench::CpuMsOf([&] { rows += HandleAll(handler); });
    }

    int HandleAll(search::FindReplyHandler& handler)
    {
        const Replies& replies = SampleReplies();
        int found = 0;
        for (std::size_t i = 0; i < replies.lines.size(); ++i) {
            handler.Handle(replies.lines[i], replies.servers[i].nick, &replies.servers[i], found);
        }
        return found;
    }

    search::StartupConfig noBanWordsConfig = NoBanWordsConfig();
    search::StartupConfig defaultListsConfig = DefaultListsConfig();
    search::ResultModel model;
    ui::IconCache icons;
    search::FindReplyHandler noBanWords{noBanWordsConfig, model, icons};
    search::FindReplyHandler defaultLists{defaultListsConfig, model, icons};
};

template <typename Parse> std::int64_t ParseAll(Parse parse)
{
    std::int64_t items = 0;
    for (const std::string& line : SampleReplies().lines) {
        parse(line, items);
    }
    return items;
}

void ParseWithTodaysParser(const std::string& line, std::int64_t& items)
{
    channel::VisitFoundItems(line, [&](const channel::FoundItemView& item) {
        benchmark::DoNotOptimize(item.path.data());
        benchmark::DoNotOptimize(item.size);
        ++items;
        return true;
    });
}

void ParseWithTheOldParser(const std::string& line, std::int64_t& items)
{
    bench::oldparser::OldForEachFoundItem(line, [&](channel::FoundItem&& item) {
        benchmark::DoNotOptimize(item.path.data());
        benchmark::DoNotOptimize(item.size);
        ++items;
        return true;
    });
}

// Each iteration reads the same lines four ways, one after another: the old parser, today's
// parser alone (the floor), and reply handling into the list with no ban words and with the
// default lists (the two in turns, so that neither always comes first). Each way's CPU time is
// a counter in ms per pass.
void BM_ReplyHandling(benchmark::State& state)
{
    Handling handling;
    handling.HandleAll(handling.defaultLists); // every extension's picture is loaded before timing
    double oldParse = 0;
    double parse = 0;
    double withoutWords = 0;
    double withWords = 0;
    std::int64_t rowsWithout = 0;
    std::int64_t rows = 0;
    bool wordsFirst = false;
    for (auto _ : state) {
        oldParse += bench::CpuMsOf([] { ParseAll(ParseWithTheOldParser); });
        parse += bench::CpuMsOf([] { ParseAll(ParseWithTodaysParser); });
        if (wordsFirst) {
            withWords += handling.TimedHandleAll(handling.defaultLists, rows);
        }
        withoutWords += handling.TimedHandleAll(handling.noBanWords, rowsWithout);
        if (!wordsFirst) {
            withWords += handling.TimedHandleAll(handling.defaultLists, rows);
        }
        wordsFirst = !wordsFirst;
    }
    const auto perPass = [&](double total) {
        return benchmark::Counter(total, benchmark::Counter::kAvgIterations);
    };
    state.counters["old_parse_ms"] = perPass(oldParse);
    state.counters["parse_ms"] = perPass(parse);
    state.counters["no_ban_words_ms"] = perPass(withoutWords);
    state.counters["default_lists_ms"] = perPass(withWords);
    state.counters["no_ban_words_rows/s"] = static_cast<double>(rowsWithout) * 1e3 / withoutWords;
    state.counters["default_lists_rows/s"] = static_cast<double>(rows) * 1e3 / withWords;
}
BENCHMARK(BM_ReplyHandling)->Unit(benchmark::kMillisecond)->Iterations(20);

// Reply handling as the engine does it, each line's figures added to its server's outcome,
// against the same handling with nothing counted; the two take turns at coming first.
void BM_OutcomeRecording(benchmark::State& state)
{
    Handling handling;
    search::FindReplyHandler& handler = handling.defaultLists;
    handling.HandleAll(handler);
    const Replies& replies = SampleReplies();
    search::OutcomeRecorder recorder;
    for (const channel::ServerEntry& server : replies.servers) {
        recorder.Open(server);
    }
    const auto timed = [&](auto handleLine) {
        handling.model.Clear();
        return bench::CpuMsOf([&] {
            int found = 0;
            for (std::size_t i = 0; i < replies.lines.size(); ++i) {
                handleLine(static_cast<int>(i), found);
            }
            benchmark::DoNotOptimize(found);
        });
    };
    const auto recorded = [&](int i, int& found) {
        const auto line = static_cast<std::size_t>(i);
        if (handler.Handle(replies.lines[line], replies.servers[line].nick, &replies.servers[line], found)) {
            recorder.FindLine(i, handler.LastLine());
        } else {
            recorder.OtherLine(i);
        }
    };
    const auto bare = [&](int i, int& found) {
        const auto line = static_cast<std::size_t>(i);
        handler.HandleUncounted(replies.lines[line], replies.servers[line].nick, &replies.servers[line], found);
    };
    double with = 0;
    double without = 0;
    bool recordingFirst = false;
    for (auto _ : state) {
        if (recordingFirst) {
            with += timed(recorded);
        }
        without += timed(bare);
        if (!recordingFirst) {
            with += timed(recorded);
        }
        recordingFirst = !recordingFirst;
    }
    benchmark::DoNotOptimize(recorder.Outcomes().front().items.items);
    state.counters["recording_ms"] = benchmark::Counter(with, benchmark::Counter::kAvgIterations);
    state.counters["no_recording_ms"] = benchmark::Counter(without, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_OutcomeRecording)->Unit(benchmark::kMillisecond)->Iterations(30);

QString Shown(std::string_view cp949Text)
{
    return QString::fromStdString(cp949::ToUtf8(cp949Text));
}

// The same lines through the same filter into a general-purpose model, five items a row.
std::int64_t FillRowByRow(QStandardItemModel& model, const search::ItemFilter& filter)
{
    const Replies& replies = SampleReplies();
    const QString folderText = QStringLiteral("[폴더]");
    std::int64_t rows = 0;
    for (std::size_t i = 0; i < replies.lines.size(); ++i) {
        const QString nick = Shown(replies.servers[i].nick);
        std::string previousFolder;
        channel::VisitFoundItems(replies.lines[i], [&](const channel::FoundItemView& item) {
            const search::ItemVerdict verdict = filter.Judge(item);
            if (verdict != search::ItemVerdict::List) {
                return verdict != search::ItemVerdict::DropRestOfLine;
            }
            const std::string_view folder = search::FolderOf(item.path);
            if (folder != previousFolder) {
                previousFolder = folder;
                model.appendRow({new QStandardItem(nick), new QStandardItem(Shown(folder)),
                                 new QStandardItem(folderText), new QStandardItem(), new QStandardItem()});
                ++rows;
            }
            model.appendRow({new QStandardItem(nick),
                             new QStandardItem(Shown(search::FileNameOf(item.path))),
                             new QStandardItem(Shown(search::SizeText(item.size))),
                             new QStandardItem(Shown(search::DateColumnText(item.date))),
                             new QStandardItem()});
            ++rows;
            return true;
        });
    }
    return rows;
}

void BM_StandardItemModelRows(benchmark::State& state)
{
    const search::StartupConfig config = DefaultListsConfig();
    const search::ItemFilter filter(config);
    QStandardItemModel model(0, 5);
    std::int64_t rows = 0;
    double cpuMs = 0;
    for (auto _ : state) {
        model.setRowCount(0);
        cpuMs += bench::CpuMsOf([&] { rows += FillRowByRow(model, filter); });
    }
    state.counters["rows/s"] = static_cast<double>(rows) * 1e3 / cpuMs;
}
BENCHMARK(BM_StandardItemModelRows)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
