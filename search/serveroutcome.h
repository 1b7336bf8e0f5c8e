#pragma once

#include "search/connectionend.h"
#include "search/replytally.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velkan::search {

// What became of one server a search contacted. When several apply, the first in this order is
// the one: a server that answered is "answered" however its connection then ended.
enum class Outcome : std::uint8_t {
    Answered,       // at least one find line was handled
    Refused,        // the connect was refused, or the host did not resolve or is unreachable
    ConnectTimeout, // nobody answered the connect in time
    TooMuchInput,   // closed by the cap on one connection's unfinished line
    OverBudget,     // closed for the panel's input budget
    Silent,         // closed by the idle time
    Reset,          // reset by the server, or the receive failed
    NotUnderstood,  // complete lines arrived, none of them a find reply
    NoReply,        // closed, by the server or by the lifetime limit, with no complete line
    StillOpen,      // open when the search was stopped, a new one began or the panel closed
};
inline constexpr std::size_t kOutcomeKinds = 10;

// Counts of each outcome, indexed by the enum.
using OutcomeCounts = std::array<int, kOutcomeKinds>;

// "answered", "refused", "connect-timeout", "too-much-input", "over-budget", "silent", "reset",
// "not-understood", "no-reply", "still-open".
std::string_view OutcomeName(Outcome outcome);

// The outcome of a connection that ended for end, having handled findLines find lines and
// received otherLines other complete lines. A lifetime close is only reached by a peer that kept
// sending (else the idle time comes first), so it is not "silent": what it sent decides.
Outcome DecideOutcome(ConnectionEnd end, int findLines, int otherLines);

// One server's outcome and its figures. Times are from the start of the connect, or of the host
// lookup before it.
struct ServerOutcome {
    std::string nick; // CP949, as listed
    std::string host;
    std::int32_t port = 0;
    std::string address; // the address contacted, dotted; empty while none is known
    Outcome outcome = Outcome::StillOpen;
    ConnectionEnd end = ConnectionEnd::ClosedByUs;
    ReplyTally items;
    std::int32_t findLines = 0;
    std::int32_t otherLines = 0; // complete, non-empty lines that were no find reply
    std::int64_t bytesSent = 0;
    std::int64_t bytesReceived = 0;
    std::int32_t firstByteMs = -1; // -1: nothing arrived
    std::int32_t closeMs = -1;
    int error = 0; // the failure's error number (see ErrorText), or 0
};

// "120 servers: 97 answered, 12 refused, 6 silent": the total, then each outcome that occurred
// with its count, in the order of Outcome.
std::string OutcomeTallyText(const OutcomeCounts& counts);

// One line for a log: the server, its outcome and every figure.
std::string DescribeOutcome(const ServerOutcome& outcome);

} // namespace velkan::search
