#include "tools/velkan-search/exitstatus.h"

namespace velkan::host {

int ExitStatusFor(RunEnd end, int signal)
{
    switch (end) {
    case RunEnd::Searched:
        return 0;
    case RunEnd::NoControl:
        return 1;
    case RunEnd::Usage:
        return 2;
    case RunEnd::FetchFailed:
        return 3;
    case RunEnd::TimedOut:
        return 4;
    case RunEnd::Interrupted:
        return 128 + signal; // as a shell reports a program the signal ended
    }
    return 1;
}

} // namespace velkan::host
