#include "search/serveroutcome.h"

#include "channel/cp949convert.h"

#include <numeric>

namespace velkan::search {

std::string_view OutcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Answered:
        return "answered";
    case Outcome::Refused:
        return "refused";
    case Outcome::ConnectTimeout:
        return "connect-timeout";
    case Outcome::TooMuchInput:
        return "too-much-input";
    case Outcome::OverBudget:
        return "over-budget";
    case Outcome::Silent:
        return "silent";
    case Outcome::Reset:
        return "reset";
    case Outcome::NotUnderstood:
        return "not-understood";
    case Outcome::NoReply:
        return "no-reply";
    case Outcome::StillOpen:
        return "still-open";
    }
    return "unknown";
}

Outcome DecideOutcome(ConnectionEnd end, int findLines, int otherLines)
{
    if (findLines > 0) {
        return Outcome::Answered;
    }
    switch (end) {
    case ConnectionEnd::NoSocket:
    case ConnectionEnd::Refused:
        return Outcome::Refused;
    case ConnectionEnd::ConnectTimeOut:
        return Outcome::ConnectTimeout;
    case ConnectionEnd::PendingCap:
        return Outcome::TooMuchInput;
    case ConnectionEnd::OverBudget:
        return Outcome::OverBudget;
    case ConnectionEnd::Idle:
        return Outcome::Silent;
    case ConnectionEnd::Reset:
        return Outcome::Reset;
    case ConnectionEnd::Lifetime:
    case ConnectionEnd::ClosedByPeer:
    case ConnectionEnd::ClosedByUs:
        break;
    }
    if (otherLines > 0) {
        return Outcome::NotUnderstood;
    }
    return end == ConnectionEnd::ClosedByUs ? Outcome::StillOpen : Outcome::NoReply;
}

std::string OutcomeTallyText(const OutcomeCounts& counts)
{
    const int total = std::accumulate(counts.begin(), counts.end(), 0);
    std::string text = std::to_string(total);
    text.append(total == 1 ? " server" : " servers");
    const char* separator = ": ";
    for (std::size_t kind = 0; kind < kOutcomeKinds; ++kind) {
        if (counts[kind] != 0) {
            text.append(separator).append(std::to_string(counts[kind])).append(" ");
            text.append(OutcomeName(static_cast<Outcome>(kind)));
            separator = ", ";
        }
    }
    return text;
}

std::string DescribeOutcome(const ServerOutcome& outcome)
{
    std::string line = "server ";
    line.append(cp949::ToUtf8(outcome.nick)).append(" ").append(outcome.host).append(":");
    line.append(std::to_string(outcome.port)).append(" ").append(OutcomeName(outcome.outcome));
    const auto add = [&line](std::string_view name, std::int64_t value) {
        line.append(" ").append(name).append("=").append(std::to_string(value));
    };
    line.append(" end=").append(ConnectionEndName(outcome.end));
#define VELKAN_ADD_FIGURE(name, path, kind, title) add(#name, outcome.path name);
    VELKAN_SERVER_OUTCOME_FIGURES(VELKAN_ADD_FIGURE)
#undef VELKAN_ADD_FIGURE
    if (!outcome.address.empty()) {
        line.append(" address=").append(outcome.address);
    }
    if (outcome.error != 0) {
        line.append(" error=\"").append(ErrorText(outcome.error)).append("\"");
    }
    return line;
}

} // namespace velkan::search
