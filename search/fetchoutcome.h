#pragma once

#include "channel/appserverprotocol.h"
#include "search/connectionend.h"
#include "search/outcomefigures.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velkan::search {

// What one fetch of the server list saw. Times are from its start.
struct FetchFigures {
    bool connected = false;
    int lines = 0; // complete lines received, empty ones included
    std::int64_t bytesReceived = 0;
    channel::ServerListTally entries; // of the reply line, when one arrived
    int error = 0;                    // errno of the failure, or 0
    std::int32_t elapsedMs = 0;
};

// The fetch behind the current search's list.
struct FetchOutcome {
    enum class State : std::uint8_t { Fetching, Listed, Failed };

    State state = State::Fetching;
    bool reused = false; // the search took the list of an earlier fetch, less than a minute old
    ConnectionEnd end = ConnectionEnd::ClosedByUs;
    FetchFigures figures;
};

// "fetching", "listed", or why no list came: "refused", "connect-timeout", "silent" (no answer
// in time), "no-reply" (closed without a complete line), "reset", "too-much-input",
// "over-budget", "no-socket" or "still-open".
std::string_view FetchOutcomeName(const FetchOutcome& fetch);

// One line for a log: the fetch's outcome and every figure.
std::string DescribeFetch(const FetchOutcome& fetch);

} // namespace velkan::search
