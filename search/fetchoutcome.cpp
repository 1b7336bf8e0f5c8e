#include "search/fetchoutcome.h"

#include "search/serveroutcome.h"

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
    std::string line = "server list ";
    line.append(FetchOutcomeName(fetch));
    const auto add = [&line](std::string_view name, std::int64_t value) {
        line.append(" ").append(name).append("=").append(std::to_string(value));
    };
#define VELKAN_ADD_FIGURE(name, path, kind, title) add(#name, fetch.path name);
    VELKAN_FETCH_FIGURES(VELKAN_ADD_FIGURE)
#undef VELKAN_ADD_FIGURE
    if (fetch.figures.error != 0) {
        line.append(" error=\"").append(ErrorText(fetch.figures.error)).append("\"");
    }
    return line;
}

} // namespace velkan::search
