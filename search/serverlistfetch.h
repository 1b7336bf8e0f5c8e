#pragma once

#include "appserverendpoint.h"
#include "appserverprotocol.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace velkan::channel {
class BlowFish;
}

namespace velkan::search {

// One fetch of the server list on a thread of its own: connect to the application server, send
// the list request, read one non-empty reply line, parse it. The connect and every wait for
// the reply can be cut short at any moment, so the panel's teardown never hangs.
class ServerListFetch {
public:
    struct Result {
        bool ok = false;
        std::vector<channel::ServerEntry> servers;
    };
    // Called on the fetch's own thread, last thing before it ends.
    using Completion = std::function<void(Result)>;

    ServerListFetch(AppServerEndpoint endpoint, std::string request, channel::BlowFish& cipher,
                    std::int32_t options, Completion completion);
    // Cancels and waits for the thread.
    ~ServerListFetch();
    ServerListFetch(const ServerListFetch&) = delete;
    ServerListFetch& operator=(const ServerListFetch&) = delete;

    // Wakes a connect or receive in progress; the fetch then fails.
    void Cancel();

private:
    Result Run();
    [[nodiscard]] std::optional<std::string> Converse(int socket);
    // Waits for events on the socket or the wake-up; false on a wake-up, a time-out or an error.
    [[nodiscard]] bool WaitFor(int socket, short events, int timeoutMs) const;

    const AppServerEndpoint m_endpoint;
    const std::string m_request;
    channel::BlowFish& m_cipher;
    const std::int32_t m_options;
    int m_wakeFd = -1;
    std::thread m_thread;
};

} // namespace velkan::search
