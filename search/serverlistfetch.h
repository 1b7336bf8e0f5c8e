#pragma once

#include "search/appserverendpoint.h"
#include "channel/appserverprotocol.h"
#include "search/connectionend.h"
#include "search/fetchoutcome.h"
#include "search/hostresolver.h"
#include "search/inputbudget.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <variant>
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
        // How the connection ended; ClosedByUs once the reply line is in.
        ConnectionEnd end = ConnectionEnd::ClosedByUs;
        FetchFigures figures;
    };
    // Called on the fetch's own thread, last thing before it ends.
    using Completion = std::function<void(Result)>;

    struct Settings {
        std::shared_ptr<InputBudget> budget; // the panel's; one of its own when empty
        std::chrono::milliseconds connectTimeout{0}; // zero: the system's own
        HostResolver* resolver = nullptr;             // the system's when not given
        std::chrono::milliseconds lookupTimeout{10000}; // zero: no limit
    };

    ServerListFetch(AppServerEndpoint endpoint, std::string request, channel::BlowFish& cipher,
                    std::int32_t options, Settings settings, Completion completion);
    // Cancels and waits for the thread.
    ~ServerListFetch();
    ServerListFetch(const ServerListFetch&) = delete;
    ServerListFetch& operator=(const ServerListFetch&) = delete;

    // Wakes a connect or receive in progress; the fetch then fails.
    void Cancel();

private:
    enum class Wait { Ready, TimedOut, Woken, Failed };

    Result Run();
    // The reply line, or why there is none; figures gather what was seen on the way.
    [[nodiscard]] std::variant<std::string, ConnectionEnd> Converse(int socket, FetchFigures& figures);
    [[nodiscard]] std::optional<ConnectionEnd> Connect(int socket, int& error);
    // The application server's address, or why there is none.
    [[nodiscard]] std::variant<in_addr, ConnectionEnd> Address(int& error);
    [[nodiscard]] std::variant<std::string, ConnectionEnd> ReadReply(int socket, FetchFigures& figures);
    // Waits for events on the socket or the wake-up; a negative time-out waits without end.
    [[nodiscard]] Wait WaitFor(int socket, short events, int timeoutMs) const;
    // Nothing when the wait ended ready, otherwise why the conversation ends.
    [[nodiscard]] std::optional<ConnectionEnd> WhyNotReady(Wait wait, ConnectionEnd timedOut) const;
    void Wake();

    const AppServerEndpoint m_endpoint;
    const std::string m_request;
    channel::BlowFish& m_cipher;
    const std::int32_t m_options;
    const Settings m_settings;
    SystemResolver m_systemResolver;
    int m_wakeFd = -1;
    int m_answerFd = -1; // signalled when the lookup answers
    std::mutex m_answerMutex;
    std::optional<LookupAnswer> m_answer;
    std::atomic<bool> m_overBudget{false};
    std::thread m_thread;
};

} // namespace velkan::search
