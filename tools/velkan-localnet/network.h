#pragma once

#include "tools/velkan-localnet/behaviour.h"
#include "tools/velkan-localnet/replies.h"
#include "tools/velkan-localnet/responseplan.h"
#include "tools/velkan-localnet/sharedfile.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace velkan::localnet {

// One peer of the network.
struct PeerConfig {
    std::string nick;          // CP949; the list's limit is 15 bytes, which a client enforces
    std::int32_t speed = 0;
    std::int32_t flags = 0;    // list flags: 0x02 hidden, 0x04 hidden under option 0x40
    PeerBehaviour behaviour = PeerBehaviour::Normal;
    std::vector<SharedFile> files;
    // When set, called once (on the network's thread, at the first request) instead of files,
    // so thousands of peers cost nothing until they are asked.
    std::function<std::vector<SharedFile>()> generateFiles;
    InfoFigures info;          // the answer to "/sinf "
    HostileTuning tuning;
};

// The application server's answer to a list request.
enum class AppServerMode {
    GeneratedList,      // every peer, in the order added (GeneratedServerList), then closes
    Scripted,           // the script's pieces exactly as given, then closes
    Silent,             // accepts and reads, never answers, never closes
    CloseWithoutAnswer, // closes as soon as the request is in
};

// Bytes the application server writes in Scripted mode: each piece with one write, the pause
// between two pieces. The pieces carry their own "\r\n".
struct AppServerScript {
    std::vector<std::string> pieces;
    std::chrono::milliseconds pause{0};
};

struct NetworkOptions {
    std::uint16_t appServerPort = 0; // 0: the kernel chooses
    std::uint64_t seed = 1;          // for the hostile peers' random lines
    // Keep the requests and errors for the accessors below; a long-running program that only
    // wants the error callback turns this off so memory stays flat.
    bool keepRecords = true;
};

// What one listener has seen. Requests are the decrypted texts (CP949), in arrival order.
struct ListenerCounters {
    std::uint64_t accepted = 0;
    std::uint64_t open = 0;
    std::uint64_t bytesSent = 0;
    std::vector<std::string> requests;
};

// An application server and any number of peers on 127.0.0.1, all served by one background
// thread with poll() over non-blocking sockets, so no client, however slow, holds up another.
//
// Every connection carries one protected request line. A request that does not decrypt, or
// is not one its listener serves ("/slst %d|" for the application server, "/find %d|%s|%s"
// or "/sinf " for a peer), is reported as an error and the connection is closed (a silent
// listener keeps it open even then).
//
// All members are thread-safe. The error callback runs on the network's thread and must not
// call Stop or destroy the network.
class Network {
public:
    // Binds the application server's port. Throws std::system_error (e.g. the port is taken).
    explicit Network(NetworkOptions options = {});
    ~Network();
    Network(const Network&) = delete;
    Network& operator=(const Network&) = delete;

    // Binds a new peer on a kernel-given port and returns it; a Refuse peer's port is bound
    // but never listens, a Blackhole peer's listens with its accept queue held full. Allowed before and after Start, not after Stop. Throws
    // std::invalid_argument for a nickname holding "," or "|", std::system_error when no
    // socket can be had.
    std::uint16_t AddPeer(PeerConfig config);

    [[nodiscard]] std::uint16_t AppServerPort() const;

    void ServeGeneratedList();
    void ServeScript(AppServerScript script);
    void ServeSilence();
    void ServeCloseWithoutAnswer();

    // "nick,127.0.0.1,port,speed,flags" for every peer in the order added, joined by "|".
    [[nodiscard]] std::string GeneratedServerList() const;

    void SetErrorCallback(std::function<void(const std::string&)> callback);

    void Start();
    // Stops the thread and closes every socket (listeners included); returns promptly.
    // Idempotent; the network cannot be started again.
    void Stop();

    [[nodiscard]] ListenerCounters AppServerCounters() const;
    // Counters of the peer on port; empty counters for a port that is no peer's.
    [[nodiscard]] ListenerCounters PeerCounters(std::uint16_t port) const;
    // Connections to peers that are open now, over all peers.
    [[nodiscard]] std::uint64_t OpenPeerConnections() const;
    // One line per bad request, in order ("peer NICK 127.0.0.1:PORT: ...", nick in UTF-8).
    [[nodiscard]] std::vector<std::string> Errors() const;

    // Waits until condition holds, re-checking whenever a counter changes; false when limit
    // passes first. condition may call the accessors above.
    bool WaitUntil(const std::function<bool()>& condition,
                   std::chrono::milliseconds limit) const;

private:
    struct Listener;
    struct Connection;
    class Loop;

    void Run();
    void Changed(); // after any counter changed, with m_mutex held
    void ReportError(const std::string& line);

    NetworkOptions m_options;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::uint64_t m_generation = 0;
    std::vector<std::unique_ptr<Listener>> m_listeners; // [0] is the application server
    std::uint64_t m_openPeerConnections = 0;
    std::vector<std::string> m_errors;
    AppServerMode m_mode = AppServerMode::GeneratedList;
    AppServerScript m_script;
    std::function<void(const std::string&)> m_errorCallback;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    bool m_started = false;
    bool m_stopping = false;
    bool m_stopped = false;
    std::thread m_thread;
};

} // namespace velkan::localnet
