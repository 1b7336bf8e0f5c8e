#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace velkan::localnet {

// How a peer treats the connections it gets.
enum class PeerBehaviour {
    Normal,  // answers the request and closes
    Silent,  // accepts and reads, never answers, never closes
    Slow,    // sends its answer a byte at a time
    Refuse,  // holds a port nobody listens on, so connections are refused
    Garbage, // answers a line that belongs to no protocol and closes
    Endless, // sends a line that never ends (up to a cap), then holds the connection
    Reset,   // sends half of its answer, then resets the connection
    Trickle, // sends a line without end slowly (up to a cap), then holds the connection
    Blackhole, // listens with a full accept queue, so connection attempts get no answer
    Hangup,  // reads the request and closes without a word
};

inline constexpr std::array<PeerBehaviour, 9> kHostileBehaviours = {
    PeerBehaviour::Silent, PeerBehaviour::Slow,  PeerBehaviour::Refuse,  PeerBehaviour::Garbage,
    PeerBehaviour::Endless, PeerBehaviour::Reset, PeerBehaviour::Trickle, PeerBehaviour::Blackhole,
    PeerBehaviour::Hangup,
};

std::string_view BehaviourName(PeerBehaviour behaviour);
std::optional<PeerBehaviour> ParseBehaviour(std::string_view name);

} // namespace velkan::localnet
