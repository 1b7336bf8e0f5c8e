#include "tools/velkan-localnet/behaviour.h"

namespace velkan::localnet {

namespace {
constexpr std::array<std::pair<PeerBehaviour, std::string_view>, 10> kNames = {{
    {PeerBehaviour::Normal, "normal"},
    {PeerBehaviour::Silent, "silent"},
    {PeerBehaviour::Slow, "slow"},
    {PeerBehaviour::Refuse, "refuse"},
    {PeerBehaviour::Garbage, "garbage"},
    {PeerBehaviour::Endless, "endless"},
    {PeerBehaviour::Reset, "reset"},
    {PeerBehaviour::Trickle, "trickle"},
    {PeerBehaviour::Blackhole, "blackhole"},
    {PeerBehaviour::Hangup, "hangup"},
}};
} // namespace

std::string_view BehaviourName(PeerBehaviour behaviour)
{
    for (const auto& [value, name] : kNames) {
        if (value == behaviour) {
            return name;
        }
    }
    return "unknown";
}

std::optional<PeerBehaviour> ParseBehaviour(std::string_view name)
{
    for (const auto& [value, known] : kNames) {
        if (known == name) {
            return value;
        }
    }
    return std::nullopt;
}

} // namespace velkan::localnet
