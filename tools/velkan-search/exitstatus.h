#pragma once

namespace velkan::host {

// How a run of velkan-search ended, each with its own exit status.
enum class RunEnd {
    Searched,    // the search came to rest, whatever it found
    NoControl,   // the control could not be created
    Usage,       // the command line is wrong
    FetchFailed, // no server list: the application server could not be reached, did not answer
                 // in time or closed without a complete line
    TimedOut,    // the search was still going when the time was up
    Interrupted, // SIGINT or SIGTERM stopped it
};

// The exit status for how the run ended: 0, 1, 2, 3, 4, and 128 + the signal for an interrupted
// run (130 for SIGINT, 143 for SIGTERM).
int ExitStatusFor(RunEnd end, int signal = 0);

} // namespace velkan::host
