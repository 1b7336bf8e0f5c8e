// The bridge serving a page's 100-row window: the rows as JSON text, as the state message
// carries them, from a list of 1,000 rows and of a million.

#include "bench/replydata.h"

#include "channel/blowfish.h"
#include "search/findreplyhandler.h"
#include "search/resultmodel.h"
#include "web/rowjson.h"
#include "search/startupconfig.h"
#include "web/websession.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace velkan;

namespace {

constexpr std::size_t kItemsPerLine = 400;
constexpr int kWindowRows = 100;

// A list of about rows rows, filled from generated replies as a search fills it.
const search::ResultModel& ListOf(int rows)
{
    static std::map<int, std::unique_ptr<search::ResultModel>> lists;
    auto& list = lists[rows];
    if (!list) {
        list = std::make_unique<search::ResultModel>();
        list->SetRowLimit(rows);
        static web::WebImages images;
        channel::BlowFish cipher;
        const search::StartupConfig config = search::ParseStartupConfig(cipher, {});
        search::FindReplyHandler handler(config, *list, images);
        const std::size_t lines = static_cast<std::size_t>(rows) / kItemsPerLine + 2;
        const std::vector<std::string> replies = bench::GeneratedReplyLines(lines, kItemsPerLine, 29);
        int found = 0;
        // A folder row and its file row go in together: a full list may end a row short.
        for (std::size_t i = 0; i < replies.size() && list->rowCount() < rows - 1; ++i) {
            const channel::ServerEntry server = bench::GeneratedServer(i, 29);
            handler.Handle(replies[i], server.nick, &server, found);
        }
    }
    return *list;
}

void BM_WindowOfRows(benchmark::State& state)
{
    const search::ResultModel& list = ListOf(static_cast<int>(state.range(0)));
    // The middle of the list, where no end is near.
    const int first = list.rowCount() / 2;
    for (auto _ : state) {
        const QJsonObject message{{QStringLiteral("first"), first},
                                  {QStringLiteral("rows"), web::WindowJson(list, first, kWindowRows)}};
        benchmark::DoNotOptimize(QJsonDocument(message).toJson(QJsonDocument::Compact));
    }
    state.counters["rows"] = list.rowCount();
}
BENCHMARK(BM_WindowOfRows)->Arg(1000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
