#include "search/connectionend.h"

#include <cstring>
#include <netdb.h>

namespace velkan::search {

std::string_view ConnectionEndName(ConnectionEnd end)
{
    switch (end) {
    case ConnectionEnd::NoSocket:
        return "no-socket";
    case ConnectionEnd::Refused:
        return "refused";
    case ConnectionEnd::ConnectTimeOut:
        return "connect-timeout";
    case ConnectionEnd::PendingCap:
        return "pending-cap";
    case ConnectionEnd::OverBudget:
        return "over-budget";
    case ConnectionEnd::Idle:
        return "idle";
    case ConnectionEnd::Lifetime:
        return "lifetime";
    case ConnectionEnd::Reset:
        return "reset";
    case ConnectionEnd::ClosedByPeer:
        return "closed-by-peer";
    case ConnectionEnd::ClosedByUs:
        return "closed-by-us";
    }
    return "unknown";
}

std::string ErrorText(int error)
{
    if (error == kHostLookupTimedOut) {
        return "host lookup timed out";
    }
    if (error < kLookupErrorBase) {
        return ::gai_strerror(error - kLookupErrorBase);
    }
    if (error <= 0) {
        return {};
    }
    char buffer[256];
    // The GNU strerror_r, which may return a static text rather than fill the buffer.
    return ::strerror_r(error, buffer, sizeof buffer);
}

} // namespace velkan::search
