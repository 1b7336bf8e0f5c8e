#include "tools/velkan-localnet/commandline.h"

#include "channel/cp949.h"
#include "channel/cp949convert.h"
#include "tools/longoptions/longoptions.h"
#include "tools/velkan-localnet/network.h"
#include "tools/velkan-localnet/sharedirectory.h"
#include "tools/velkan-localnet/sharegenerator.h"
#include "tools/velkan-localnet/socketutil.h"

#include <charconv>
#include <cstdio>

namespace velkan::localnet {

namespace {

constexpr std::size_t kMaxNick = 15;
constexpr std::size_t kMaxPeers = 20000;

template <typename T> bool ParseUnsigned(std::string_view text, T& value, T maximum)
{
    T parsed{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        parsed > maximum) {
        return false;
    }
    value = parsed;
    return true;
}

std::string ListenerLine(std::string_view nickCp949, std::uint16_t port, PeerBehaviour behaviour)
{
    return "peer " + cp949::ToUtf8(nickCp949) + " " + kLoopbackHost + ":" + std::to_string(port) +
           " " + std::string(BehaviourName(behaviour));
}

// --share NICK=DIR or --hostile KIND=COUNT; the reason it is unusable, empty when taken.
std::string TakeNamedValue(const std::string& option, const std::string& value, CommandLine& commandLine)
{
    const std::size_t equals = value.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == value.size()) {
        return option + " takes NAME=VALUE: " + value;
    }
    const std::string name = value.substr(0, equals);
    const std::string rest = value.substr(equals + 1);
    if (option == "--share") {
        const std::optional<std::string> nick = cp949::FromUtf8Strict(name);
        if (!nick || nick->size() > kMaxNick || cp949::FindByte(*nick, ',') != cp949::npos ||
            cp949::FindByte(*nick, '|') != cp949::npos) {
            return "--share: unusable nickname: " + name;
        }
        commandLine.shares.push_back({*nick, rest});
        return {};
    }
    const std::optional<PeerBehaviour> kind = ParseBehaviour(name);
    std::size_t count = 0;
    if (!kind || *kind == PeerBehaviour::Normal) {
        return "--hostile: unknown kind: " + name;
    }
    if (!ParseUnsigned<std::size_t>(rest, count, kMaxPeers)) {
        return "--hostile: COUNT must be a number from 0 to " + std::to_string(kMaxPeers) + ": " + rest;
    }
    commandLine.hostile.emplace_back(*kind, count);
    return {};
}

} // namespace

std::string Usage()
{
    return "usage: velkan-localnet [--port PORT] [--peers N] [--seed S] [--share NICK=DIR]...\n"
           "                       [--hostile KIND=COUNT]... [--hostile-first]\n"
           "\n"
           "Runs an application server and sharing peers on 127.0.0.1 until SIGINT or SIGTERM,\n"
           "after printing one line per listener.\n"
           "\n"
           "  --port PORT          the application server's port (default 8081; 0: any free port)\n"
           "  --peers N            generated peers with made-up shares (default 20)\n"
           "  --seed S             what the generated peers hold (default 1)\n"
           "  --share NICK=DIR     a peer sharing the files under DIR (NICK at most 15 bytes\n"
           "                       in CP949, without \",\" or \"|\")\n"
           "  --hostile KIND=COUNT peers that misbehave: silent, slow, refuse, garbage,\n"
           "                       endless, reset, trickle, blackhole or hangup\n"
           "  --hostile-first      list the hostile peers before the others\n"
           "  --version            print the version and exit\n"
           "\n"
           "An option's value may also follow an equals sign: --port=0.\n";
}

std::variant<CommandLine, std::string> ParseCommandLine(std::span<const std::string> args)
{
    enum Id : int { Port = 256, Peers, Seed, Share, Hostile, HostileFirst, Help, Version };
    static constexpr tools::LongOption kOptions[] = {
        {"port", true, Port},       {"peers", true, Peers},
        {"seed", true, Seed},       {"share", true, Share},
        {"hostile", true, Hostile}, {"hostile-first", false, HostileFirst},
        {"help", false, Help},      {"version", false, Version},
    };
    auto parsed = tools::ParseLongOptions(args, "h", kOptions);
    if (auto* error = std::get_if<std::string>(&parsed)) {
        return std::move(*error);
    }
    const tools::ParsedArguments& given = std::get<tools::ParsedArguments>(parsed);
    if (!given.operands.empty()) {
        return "unexpected argument " + given.operands.front();
    }
    CommandLine commandLine;
    for (const auto& [id, value] : given.options) {
        switch (id) {
        case Help:
        case 'h':
            commandLine.help = true;
            break;
        case Version:
            commandLine.version = true;
            break;
        case HostileFirst:
            commandLine.hostileFirst = true;
            break;
        case Port:
            if (!ParseUnsigned<std::uint16_t>(value, commandLine.port, 65535)) {
                return "--port takes a number from 0 to 65535: " + value;
            }
            break;
        case Peers:
            if (!ParseUnsigned<std::size_t>(value, commandLine.peers, kMaxPeers)) {
                return "--peers takes a number from 0 to " + std::to_string(kMaxPeers) + ": " + value;
            }
            break;
        case Seed:
            if (!ParseUnsigned<std::uint64_t>(value, commandLine.seed, UINT64_MAX)) {
                return "--seed takes a non-negative number: " + value;
            }
            break;
        default:
            if (std::string error = TakeNamedValue(id == Share ? "--share" : "--hostile", value, commandLine);
                !error.empty()) {
                return error;
            }
        }
    }
    return commandLine;
}

std::vector<std::string> PopulateNetwork(Network& network, const CommandLine& commandLine)
{
    const std::uint64_t seed = commandLine.seed;
    std::vector<std::string> lines;
    lines.push_back("appserver " + std::string(kLoopbackHost) + ":" +
                    std::to_string(network.AppServerPort()));

    const auto addGenerated = [&] {
        for (std::size_t index = 0; index < commandLine.peers; ++index) {
            PeerConfig peer;
            peer.nick = GenerateNick(seed, index);
            peer.speed = GenerateSpeed(seed, index);
            peer.info = GenerateInfoFigures(seed, index);
            peer.generateFiles = [seed, index] { return GenerateShare(seed, index); };
            const std::string nick = peer.nick;
            const std::uint16_t port = network.AddPeer(std::move(peer));
            lines.push_back(ListenerLine(nick, port, PeerBehaviour::Normal));
        }
        for (const CommandLine::Share& share : commandLine.shares) {
            PeerConfig peer;
            peer.nick = share.nick;
            peer.speed = 1024;
            peer.files = ShareDirectory(share.directory, "C:\\share");
            const std::uint16_t port = network.AddPeer(std::move(peer));
            lines.push_back(ListenerLine(share.nick, port, PeerBehaviour::Normal));
        }
    };
    // Hostile peers hold generated shares too (the slow and reset ones send parts of them),
    // under indexes after the generated peers'.
    const auto addHostile = [&] {
        std::size_t index = commandLine.peers;
        for (const auto& [kind, count] : commandLine.hostile) {
            for (std::size_t n = 0; n < count; ++n, ++index) {
                char nick[32];
                std::snprintf(nick, sizeof nick, "%.*s%03zu", 10,
                              std::string(BehaviourName(kind)).c_str(), n + 1);
                PeerConfig peer;
                peer.nick = nick;
                peer.behaviour = kind;
                peer.speed = GenerateSpeed(seed, index);
                peer.info = GenerateInfoFigures(seed, index);
                peer.generateFiles = [seed, index] { return GenerateShare(seed, index); };
                const std::uint16_t port = network.AddPeer(std::move(peer));
                lines.push_back(ListenerLine(nick, port, kind));
            }
        }
    };
    if (commandLine.hostileFirst) {
        addHostile();
        addGenerated();
    } else {
        addGenerated();
        addHostile();
    }
    return lines;
}

} // namespace velkan::localnet
