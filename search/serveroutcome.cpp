#include "serveroutcome.h"

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

} // namespace velkan::search
