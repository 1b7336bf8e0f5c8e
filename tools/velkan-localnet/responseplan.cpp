#include "tools/velkan-localnet/responseplan.h"

#include "tools/velkan-localnet/random.h"

#include <algorithm>

namespace velkan::localnet {

std::string GarbageLine(Random& random)
{
    constexpr std::string_view kAlphabet =
        "abcdeghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 #%*+-=?@~";
    // "?" first: neither a find reply nor an information reply starts with it.
    std::string line = "?";
    const std::uint64_t length = 8 + random.Below(56);
    for (std::uint64_t i = 0; i < length; ++i) {
        line += kAlphabet[random.Below(kAlphabet.size())];
    }
    return line;
}

namespace {

// A line that never ends, cap bytes of it, and then a connection held open.
ResponsePlan UnendingLine(std::uint64_t cap)
{
    // It looks like the start of a find reply, so a client has no reason to give up early.
    constexpr std::string_view kStart = "find>";
    ResponsePlan plan;
    const std::uint64_t startBytes = std::min<std::uint64_t>(kStart.size(), cap);
    plan.pieces.emplace_back(kStart.substr(0, static_cast<std::size_t>(startBytes)));
    plan.fillerBytes = cap - startBytes;
    plan.ending = ResponsePlan::Ending::Hold;
    return plan;
}

} // namespace

ResponsePlan PlanPeerResponse(PeerBehaviour behaviour, const std::string& reply,
                              const HostileTuning& tuning, Random& random)
{
    ResponsePlan plan;
    switch (behaviour) {
    case PeerBehaviour::Normal:
    case PeerBehaviour::Refuse:
    case PeerBehaviour::Blackhole:
        plan.pieces.push_back(reply + "\r\n");
        break;
    case PeerBehaviour::Silent:
        plan.ending = ResponsePlan::Ending::Hold;
        break;
    case PeerBehaviour::Slow:
        plan.pieces.push_back(reply + "\r\n");
        plan.bytesPerWrite = 1;
        plan.pauseBetweenWrites = tuning.slowInterval;
        break;
    case PeerBehaviour::Hangup:
        break; // nothing to send: the close follows the request
    case PeerBehaviour::Garbage:
        plan.pieces.push_back(GarbageLine(random) + "\r\n");
        break;
    case PeerBehaviour::Endless:
        plan = UnendingLine(tuning.endlessCap);
        break;
    case PeerBehaviour::Trickle:
        plan = UnendingLine(tuning.trickleCap);
        plan.bytesPerWrite = tuning.trickleBytesPerWrite;
        plan.pauseBetweenWrites = tuning.trickleInterval;
        break;
    case PeerBehaviour::Reset:
        plan.pieces.push_back(reply.substr(0, reply.size() / 2));
        plan.ending = ResponsePlan::Ending::Reset;
        plan.pauseBeforeEnding = tuning.resetDelay;
        break;
    }
    return plan;
}

} // namespace velkan::localnet
