#pragma once

#include "search/inputbudget.h"

#include <chrono>
#include <cstddef>

namespace velkan::search {

// How long the panel's connections may take and last, and how much input they may hold
// together. The product's values are the defaults; tests make them small.
struct ConnectionLimits {
    // An unanswered connect gives up after about this long where the control comes from (three
    // attempts, at 0, 3 and 9 s); Linux would wait some two minutes, holding the slot meanwhile.
    std::chrono::milliseconds connectTimeout{21000};
    // A host name whose lookup has not answered in this long is given up as refused.
    std::chrono::milliseconds hostLookup{10000};
    // A peer that sends nothing for this long, or stays this long in all, holds its slot for no
    // one: an honest peer answers within seconds.
    std::chrono::milliseconds peerIdle{60000};
    std::chrono::milliseconds peerLifetime{600000};
    std::size_t inputBudgetBytes = InputBudget::kDefaultBytes;
    // Received replies waiting to be listed may hold this many bytes; past it, they are listed
    // whole at once, so peers that send faster than the turns list cannot grow the queue.
    std::size_t waitingReplyBytes = std::size_t{16} << 20;
};

} // namespace velkan::search
