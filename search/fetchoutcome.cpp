#include "fetchoutcome.h"

#include "serveroutcome.h"

namespace velkan::search {

std::string_view FetchOutcomeName(const FetchOutcome& fetch)
{
    switch (fetch.state) {
    case FetchOutcome::State::Fetching:
        return "fetching";
    case FetchOutcome::State::Listed:
        return "listed";
    case FetchOutcome::State::Failed:
        break;
    }
    if (fetch.end == ConnectionEnd::NoSocket) {
        return "no-socket";
    }
    // A failed fetch got no line at all, so a server's outcome names its end.
    return OutcomeName(DecideOutcome(fetch.end, 0, 0));
}

std::string DescribeFetch(const FetchOutcome& fetch)
{
    const FetchFigures& figures = fetch.figures;
    const channel::ServerListTally& entries = figures.entries;
    std::string line = "server list ";
    line.append(FetchOutcomeName(fetch));
    const auto add = [&line](std::string_view name, std::int64_t value) {
        line.append(" ").append(name).append("=").append(std::to_string(value));
    };
    add("reused", fetch.reused ? 1 : 0);
    add("connected", figures.connected ? 1 : 0);
    add("lines", figures.lines);
    add("bytesReceived", figures.bytesReceived);
    add("entries", entries.entries);
    add("kept", entries.kept);
    add("malformed", entries.malformed);
    add("badPort", entries.badPort);
    add("hostTooLong", entries.hostTooLong);
    add("hidden", entries.hidden);
    add("hiddenByOption", entries.hiddenByOption);
    add("elapsedMs", figures.elapsedMs);
    if (figures.error != 0) {
        line.append(" error=\"").append(ErrorText(figures.error)).append("\"");
    }
    return line;
}

} // namespace velkan::search
