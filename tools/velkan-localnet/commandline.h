#pragma once

#include "tools/velkan-localnet/behaviour.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace velkan::localnet {

class Network;

// What the program was asked to start.
struct CommandLine {
    struct Share {
        std::string nick; // CP949
        std::filesystem::path directory;
    };

    std::uint16_t port = 8081;
    std::size_t peers = 20;
    std::uint64_t seed = 1;
    std::vector<Share> shares;
    std::vector<std::pair<PeerBehaviour, std::size_t>> hostile;
    bool hostileFirst = false; // list the hostile peers before the others
    bool help = false;
    bool version = false;
};

std::string Usage();

// The options (program name excluded), or a one-line reason they are not usable.
std::variant<CommandLine, std::string> ParseCommandLine(std::span<const std::string> args);

// Adds the peers the command line asks for: the generated ones (index 0..peers-1), then one
// per shared directory, then the hostile ones; or the hostile ones first when asked. Returns one line per listener, the application
// server's first: "appserver 127.0.0.1:PORT", then "peer NICK 127.0.0.1:PORT KIND" with the
// nickname in UTF-8. Throws what Network::AddPeer and ShareDirectory throw.
std::vector<std::string> PopulateNetwork(Network& network, const CommandLine& commandLine);

} // namespace velkan::localnet
