#pragma once

#include "tools/velkan-localnet/behaviour.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velkan::localnet {

class Random;

// What a connection sends once its request is in, and how it ends.
struct ResponsePlan {
    enum class Ending {
        Close, // close normally once everything is sent
        Hold,  // keep the connection open until the client goes
        Reset, // reset it (SO_LINGER 0) once everything is sent
    };

    std::vector<std::string> pieces;              // sent in order, exactly as given
    std::chrono::milliseconds pauseBetweenPieces{0};
    std::size_t bytesPerWrite = 0;                // 0: as much as the socket takes
    std::chrono::milliseconds pauseBetweenWrites{0};
    std::uint64_t fillerBytes = 0;                // after the pieces, this many bytes of "x"
    Ending ending = Ending::Close;
    std::chrono::milliseconds pauseBeforeEnding{0};
};

// Tuning of the hostile behaviours.
struct HostileTuning {
    std::chrono::milliseconds slowInterval{20};      // between two bytes of a slow answer
    std::uint64_t endlessCap = std::uint64_t{64} << 20; // bytes an endless line runs to
    std::chrono::milliseconds resetDelay{50};         // lets the half line arrive before the reset
    std::uint64_t trickleCap = std::uint64_t{4} << 20; // bytes a trickling line runs to
    std::size_t trickleBytesPerWrite = 16 * 1024;
    std::chrono::milliseconds trickleInterval{50};    // between two writes of a trickling line
};

// The plan of a peer with the given behaviour whose honest answer is reply (without "\r\n").
// Refuse and Blackhole never get a connection and are planned as Normal.
ResponsePlan PlanPeerResponse(PeerBehaviour behaviour, const std::string& reply,
                              const HostileTuning& tuning, Random& random);

// A printable line that no protocol of the service would take for an answer.
std::string GarbageLine(Random& random);

} // namespace velkan::localnet
