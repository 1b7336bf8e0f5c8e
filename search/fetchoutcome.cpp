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

} // namespace velkan::search
