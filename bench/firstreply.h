#pragma once

namespace velkan::bench {

// search_bench runs itself with this option for each first-reply sample.
inline constexpr const char* kFirstReplySampleOption = "--first-reply-sample";

// Starts a panel, waits 5 ms, then times the first reply and a later one; prints both, the
// time to the panel's first paint and the longest event-loop handler of the wait, in ms.
int RunFirstReplySample(bool swapped);

} // namespace velkan::bench
