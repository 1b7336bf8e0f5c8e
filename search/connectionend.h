#pragma once

#include <string>
#include <string_view>

namespace velkan::search {

// Why a connection to a server ended, as its owner is told.
enum class ConnectionEnd {
    NoSocket,       // no socket could be made for it
    Refused,        // the connect was refused, or the server is unreachable
    ConnectTimeOut, // nobody answered the connect in time
    PendingCap,     // one unfinished line outgrew what a single connection may hold
    OverBudget,     // the panel's input budget needed the bytes this connection held
    Idle,           // nothing arrived for too long
    Lifetime,       // open too long in all
    Reset,          // reset by the server, or the receive failed
    ClosedByPeer,   // the server closed in good order
    ClosedByUs,     // our side ended it: stop, a new search, the answer in hand
};

// "refused", "connect-timeout", "pending-cap", "over-budget", "idle", "lifetime", "reset",
// "closed-by-peer", "closed-by-us" or "no-socket": the name records and logs give the reason.
std::string_view ConnectionEndName(ConnectionEnd end);

// Errors of a host lookup, for which no system error stands: its time-out, and the resolver's
// own codes (getaddrinfo's, all negative) moved below kLookupErrorBase.
inline constexpr int kHostLookupTimedOut = -1;
inline constexpr int kLookupErrorBase = -1000;
constexpr int LookupError(int resolverCode)
{
    return kLookupErrorBase + resolverCode;
}

// The system's text for a connection's error number ("Connection refused"), the resolver's text
// for a lookup's ("Name or service not known"), "host lookup timed out", or empty for 0.
std::string ErrorText(int error);

} // namespace velkan::search
