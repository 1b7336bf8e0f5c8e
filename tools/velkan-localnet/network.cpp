#include "tools/velkan-localnet/network.h"

#include "channel/blowfish.h"
#include "channel/cp949.h"
#include "channel/cp949convert.h"
#include "channel/linereceiver.h"
#include "channel/protectedtext.h"
#include "tools/velkan-localnet/random.h"
#include "tools/velkan-localnet/request.h"
#include "tools/velkan-localnet/socketutil.h"
#include "channel/wirekey.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace velkan::localnet {

namespace {

using Clock = std::chrono::steady_clock;

// A request line is a few hundred bytes at most; a client that sends far more without a line
// end is broken, and the server must not buffer without bound.
constexpr std::size_t kMaxRequestBytes = 64 * 1024;

// Fairness: one connection or listener gets at most this many system calls per turn.
constexpr int kCallsPerTurn = 64;

// How long accepting rests when the process is out of descriptors, so poll does not spin on
// a listener it cannot serve.
constexpr std::chrono::milliseconds kAcceptRest{100};

// A line of the text that fits on a terminal line: control bytes become "?", long text is cut.
std::string Printable(std::string_view cp949Text)
{
    std::string text = cp949::ToUtf8(cp949::CutToFit(cp949Text, 80));
    for (char& byte : text) {
        const auto value = static_cast<unsigned char>(byte);
        if (value < 0x20 || value == 0x7F) {
            byte = '?';
        }
    }
    return cp949Text.size() > 80 ? "\"" + text + "\"..." : "\"" + text + "\"";
}

std::string_view Filler()
{
    static const std::string filler(64 * 1024, 'x');
    return filler;
}

} // namespace

struct Network::Listener {
    FileDescriptor fd;
    std::uint16_t port = 0;
    bool appServer = false;
    bool listening = true;   // accepted from; a refusing or full (blackhole) one never is
    std::vector<FileDescriptor> fillers; // a blackhole's, holding its accept queue full
    PeerConfig config;       // peers only; files are completed by the network's thread
    bool filesReady = false; // network's thread only
    std::string label;       // for error lines
    ListenerCounters counters; // under m_mutex
};

struct Network::Connection {
    FileDescriptor fd;
    Listener* listener = nullptr;
    std::string remote;
    channel::LineReceiver receiver;
    bool answered = false;   // the request is in and the plan is set
    bool clientDone = false; // the client will send nothing more
    bool holding = false;
    ResponsePlan plan;
    std::size_t piece = 0;
    std::size_t offset = 0;
    std::uint64_t fillerSent = 0;
    Clock::time_point notBefore{};
    std::optional<Clock::time_point> resetAt;

    [[nodiscard]] bool Closed() const { return !fd.Valid(); }
    [[nodiscard]] bool MoreToSend() const
    {
        return piece < plan.pieces.size() || fillerSent < plan.fillerBytes;
    }
    [[nodiscard]] bool Sending() const
    {
        return answered && !holding && !resetAt && !Closed();
    }
};

// The state only the network's thread touches, and the steps it takes.
class Network::Loop {
public:
    explicit Loop(Network& network) : m_network(network), m_random(network.m_options.seed)
    {
        if (!m_cipher.Initialize(channel::kWireKey)) {
            throw std::logic_error("cipher key rejected");
        }
    }

    ~Loop()
    {
        for (auto& connection : m_connections) {
            Drain(*connection); // an unread request would turn the close into a reset
            Close(*connection);
        }
    }

    void Run()
    {
        std::vector<Listener*> listeners;
        std::vector<pollfd> polled;
        for (;;) {
            {
                const std::lock_guard lock(m_network.m_mutex);
                if (m_network.m_stopping) {
                    return;
                }
                listeners.clear();
                for (const auto& listener : m_network.m_listeners) {
                    if (listener->listening) {
                        listeners.push_back(listener.get());
                    }
                }
            }
            Clock::time_point now = Clock::now();
            const bool accepting = now >= m_acceptRestUntil;

            polled.clear();
            polled.push_back({m_network.m_wakeRead, POLLIN, 0});
            if (accepting) {
                for (Listener* listener : listeners) {
                    polled.push_back({listener->fd.Get(), POLLIN, 0});
                }
            }
            const std::size_t firstConnection = polled.size();
            const std::size_t connectionCount = m_connections.size();
            for (const auto& connection : m_connections) {
                short events = 0;
                if (!connection->clientDone) {
                    events |= POLLIN;
                }
                if (connection->Sending() && connection->notBefore <= now) {
                    events |= POLLOUT;
                }
                polled.push_back({connection->fd.Get(), events, 0});
            }

            const int ready = ::poll(polled.data(), polled.size(), Timeout(now, accepting));
            if (ready < 0) {
                if (errno == EINTR) {
                    continue;
                }
                m_network.ReportError(std::string("poll failed: ") + std::strerror(errno));
                return;
            }
            if ((polled[0].revents & POLLIN) != 0) {
                char drain[256];
                while (::read(m_network.m_wakeRead, drain, sizeof drain) > 0) {
                }
            }

            now = Clock::now();
            for (std::size_t i = 0; i < connectionCount; ++i) {
                Service(*m_connections[i], polled[firstConnection + i].revents, now);
            }
            if (accepting) {
                for (std::size_t i = 0; i < listeners.size(); ++i) {
                    if ((polled[1 + i].revents & POLLIN) != 0) {
                        Accept(*listeners[i], now);
                    }
                }
            }
            std::erase_if(m_connections, [](const auto& connection) { return connection->Closed(); });
        }
    }

private:
    int Timeout(Clock::time_point now, bool accepting) const
    {
        std::optional<Clock::time_point> earliest;
        const auto consider = [&](Clock::time_point when) {
            if (!earliest || when < *earliest) {
                earliest = when;
            }
        };
        if (!accepting) {
            consider(m_acceptRestUntil);
        }
        for (const auto& connection : m_connections) {
            if (connection->resetAt) {
                consider(*connection->resetAt);
            } else if (connection->Sending() && connection->notBefore > now) {
                consider(connection->notBefore);
            }
        }
        if (!earliest) {
            return -1; // the wake pipe ends the wait
        }
        if (*earliest <= now) {
            return 0;
        }
        // Rounded up, so the loop does not wake just before the moment and spin.
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*earliest - now);
        return static_cast<int>(std::min<std::chrono::milliseconds::rep>(wait.count(), 60000));
    }

    void Accept(Listener& listener, Clock::time_point now)
    {
        for (int call = 0; call < kCallsPerTurn; ++call) {
            const int fd = ::accept4(listener.fd.Get(), nullptr, nullptr,
                                     SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) {
                if (errno == EINTR || errno == ECONNABORTED) {
                    continue;
                }
                if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                    m_acceptRestUntil = now + kAcceptRest;
                    m_network.ReportError(listener.label + ": cannot accept: " +
                                          std::strerror(errno));
                }
                return;
            }
            auto connection = std::make_unique<Connection>();
            connection->fd = FileDescriptor(fd);
            connection->listener = &listener;
            connection->remote = RemoteAddress(fd);
            {
                const std::lock_guard lock(m_network.m_mutex);
                ++listener.counters.accepted;
                ++listener.counters.open;
                if (!listener.appServer) {
                    ++m_network.m_openPeerConnections;
                }
                m_network.Changed();
            }
            m_connections.push_back(std::move(connection));
        }
    }

    void Service(Connection& connection, short revents, Clock::time_point now)
    {
        if ((revents & (POLLERR | POLLNVAL)) != 0) {
            Close(connection);
            return;
        }
        if ((revents & (POLLIN | POLLHUP)) != 0) {
            Read(connection, now);
        }
        if (connection.Closed()) {
            return;
        }
        if (connection.Sending()) {
            Pump(connection, now);
        }
        if (!connection.Closed() && connection.resetAt && now >= *connection.resetAt) {
            Reset(connection);
        }
        // Both directions are gone: nothing can be sent or received any more.
        if (!connection.Closed() && (revents & POLLHUP) != 0) {
            Close(connection);
        }
    }

    void Read(Connection& connection, Clock::time_point now)
    {
        char buffer[16 * 1024];
        for (int call = 0; call < kCallsPerTurn && !connection.Closed(); ++call) {
            const ssize_t received = ::recv(connection.fd.Get(), buffer, sizeof buffer, 0);
            if (received > 0) {
                if (!connection.answered) {
                    Receive(connection, std::string_view(buffer, static_cast<std::size_t>(received)),
                            now);
                }
                continue; // anything after the request is read and dropped
            }
            if (received == 0) {
                connection.clientDone = true;
                if (!connection.answered && connection.receiver.PendingSize() > 0) {
                    m_network.ReportError(connection.listener->label + ": connection from " +
                                          connection.remote +
                                          " closed before its request line ended");
                }
                // A connection still sending keeps going; a failing send ends it.
                if (!connection.answered || connection.holding) {
                    Close(connection);
                }
                return;
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                Close(connection);
            }
            return;
        }
    }

    void Receive(Connection& connection, std::string_view chunk, Clock::time_point now)
    {
        const std::optional<std::string> line = connection.receiver.ReceiveLine(chunk);
        if (line) {
            HandleRequest(connection, *line, now);
        } else if (connection.receiver.PendingSize() > kMaxRequestBytes) {
            Close(connection);
            m_network.ReportError(connection.listener->label + ": request from " +
                                  connection.remote + " has no line end within " +
                                  std::to_string(kMaxRequestBytes) + " bytes");
        }
    }

    void HandleRequest(Connection& connection, const std::string& line, Clock::time_point now)
    {
        Listener& listener = *connection.listener;
        const std::optional<std::string> plain = channel::DecryptFromBase64(m_cipher, line);
        std::optional<Request> request;
        std::string error;
        if (!plain) {
            error = ": request from " + connection.remote + " does not decrypt: " + Printable(line);
        } else {
            request = ParseRequest(*plain);
            const bool served = request && (listener.appServer
                                                ? request->kind == RequestKind::ServerList
                                                : request->kind != RequestKind::ServerList);
            if (!served) {
                request.reset();
                error = ": unexpected request from " + connection.remote + ": " + Printable(*plain);
            }
        }

        connection.answered = true;
        connection.receiver.Clear();
        const bool hold = !request && HoldsEverything(listener);
        if (request) {
            connection.plan = Plan(listener, *request);
        } else if (hold) {
            connection.plan.ending = ResponsePlan::Ending::Hold;
        }

        // Recorded once the answer is decided but before any of it is sent, so whoever sees
        // the record may change the servers' settings without touching this answer, and a
        // client that has its answer (or the end of the connection) finds its request on
        // record.
        if (plain) {
            const std::lock_guard lock(m_network.m_mutex);
            if (m_network.m_options.keepRecords) {
                listener.counters.requests.push_back(*plain);
            }
            m_network.Changed();
        }

        if (!request && !hold) {
            Close(connection);
        } else {
            Pump(connection, now);
        }
        if (!error.empty()) {
            m_network.ReportError(listener.label + error);
        }
    }

    bool HoldsEverything(const Listener& listener) const
    {
        if (listener.appServer) {
            const std::lock_guard lock(m_network.m_mutex);
            return m_network.m_mode == AppServerMode::Silent;
        }
        return listener.config.behaviour == PeerBehaviour::Silent;
    }

    ResponsePlan Plan(Listener& listener, const Request& request)
    {
        if (listener.appServer) {
            ResponsePlan plan;
            AppServerMode mode = AppServerMode::GeneratedList;
            {
                const std::lock_guard lock(m_network.m_mutex);
                mode = m_network.m_mode;
                if (mode == AppServerMode::Scripted) {
                    plan.pieces = m_network.m_script.pieces;
                    plan.pauseBetweenPieces = m_network.m_script.pause;
                }
            }
            if (mode == AppServerMode::GeneratedList) {
                plan.pieces.push_back(m_network.GeneratedServerList() + "\r\n");
            } else if (mode == AppServerMode::Silent) {
                plan.ending = ResponsePlan::Ending::Hold;
            }
            return plan;
        }
        PeerConfig& config = listener.config;
        if (!listener.filesReady) {
            if (config.generateFiles) {
                config.files = config.generateFiles();
            }
            listener.filesReady = true;
        }
        const std::string reply = request.kind == RequestKind::Find
                                      ? FindReply(config.files, request.searchText)
                                      : InfoReply(config.info, config.files);
        return PlanPeerResponse(config.behaviour, reply, config.tuning, m_random);
    }

    void Pump(Connection& connection, Clock::time_point now)
    {
        ResponsePlan& plan = connection.plan;
        for (int call = 0; call < kCallsPerTurn; ++call) {
            if (now < connection.notBefore) {
                return;
            }
            if (!connection.MoreToSend()) {
                Finish(connection, now);
                return;
            }
            const bool inPieces = connection.piece < plan.pieces.size();
            std::string_view data;
            if (inPieces) {
                data = std::string_view(plan.pieces[connection.piece]).substr(connection.offset);
            } else {
                data = Filler().substr(
                    0, static_cast<std::size_t>(std::min<std::uint64_t>(
                           Filler().size(), plan.fillerBytes - connection.fillerSent)));
            }
            if (plan.bytesPerWrite > 0) {
                data = data.substr(0, plan.bytesPerWrite);
            }
            ssize_t sent = 0;
            if (!data.empty()) {
                sent = ::send(connection.fd.Get(), data.data(), data.size(), MSG_NOSIGNAL);
                if (sent < 0) {
                    if (errno == EINTR) {
                        continue;
                    }
                    if (errno != EAGAIN && errno != EWOULDBLOCK) {
                        Close(connection);
                    }
                    return; // POLLOUT brings us back
                }
                const std::lock_guard lock(m_network.m_mutex);
                connection.listener->counters.bytesSent += static_cast<std::uint64_t>(sent);
                m_network.Changed();
            }
            bool pieceDone = false;
            if (inPieces) {
                connection.offset += static_cast<std::size_t>(sent);
                if (connection.offset >= plan.pieces[connection.piece].size()) {
                    ++connection.piece;
                    connection.offset = 0;
                    pieceDone = true;
                }
            } else {
                connection.fillerSent += static_cast<std::uint64_t>(sent);
            }
            if (connection.MoreToSend()) {
                if (plan.bytesPerWrite > 0 && plan.pauseBetweenWrites.count() > 0) {
                    connection.notBefore = now + plan.pauseBetweenWrites;
                }
                if (pieceDone && connection.piece < plan.pieces.size() &&
                    plan.pauseBetweenPieces.count() > 0) {
                    connection.notBefore =
                        std::max(connection.notBefore, now + plan.pauseBetweenPieces);
                }
            }
        }
    }

    void Finish(Connection& connection, Clock::time_point now)
    {
        switch (connection.plan.ending) {
        case ResponsePlan::Ending::Close:
            Drain(connection);
            Close(connection);
            break;
        case ResponsePlan::Ending::Hold:
            connection.holding = true;
            if (connection.clientDone) {
                Close(connection);
            }
            break;
        case ResponsePlan::Ending::Reset:
            if (connection.plan.pauseBeforeEnding.count() > 0) {
                connection.resetAt = now + connection.plan.pauseBeforeEnding;
            } else {
                Reset(connection);
            }
            break;
        }
    }

    // Unread bytes at close would turn the orderly end into a reset that can overtake the
    // reply on its way to the client.
    static void Drain(Connection& connection)
    {
        char buffer[4096];
        for (int call = 0; call < kCallsPerTurn; ++call) {
            if (::recv(connection.fd.Get(), buffer, sizeof buffer, MSG_DONTWAIT) <= 0) {
                return;
            }
        }
    }

    // The counters change before the socket closes, so a client that sees the end sees them
    // final.
    void Reset(Connection& connection)
    {
        if (!connection.Closed()) {
            Closing(connection);
            ResetAndClose(connection.fd);
        }
    }

    void Close(Connection& connection)
    {
        if (!connection.Closed()) {
            Closing(connection);
            connection.fd.Close();
        }
    }

    void Closing(Connection& connection)
    {
        const std::lock_guard lock(m_network.m_mutex);
        --connection.listener->counters.open;
        if (!connection.listener->appServer) {
            --m_network.m_openPeerConnections;
        }
        m_network.Changed();
    }

    Network& m_network;
    channel::BlowFish m_cipher;
    Random m_random;
    std::vector<std::unique_ptr<Connection>> m_connections;
    Clock::time_point m_acceptRestUntil{};
};

Network::Network(NetworkOptions options) : m_options(options)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "pipe2");
    }
    m_wakeRead = pipeEnds[0];
    m_wakeWrite = pipeEnds[1];
    try {
        auto listener = std::make_unique<Listener>();
        listener->fd = OpenLoopbackSocket(options.appServerPort, true);
        listener->port = LocalPort(listener->fd.Get());
        listener->appServer = true;
        listener->label = "appserver " + std::string(kLoopbackHost) + ":" +
                          std::to_string(listener->port);
        m_listeners.push_back(std::move(listener));
    } catch (...) {
        ::close(m_wakeRead);
        ::close(m_wakeWrite);
        throw;
    }
}

Network::~Network()
{
    Stop();
    ::close(m_wakeRead);
    ::close(m_wakeWrite);
}

std::uint16_t Network::AddPeer(PeerConfig config)
{
    if (cp949::FindByte(config.nick, ',') != cp949::npos ||
        cp949::FindByte(config.nick, '|') != cp949::npos) {
        throw std::invalid_argument("a nickname cannot hold \",\" or \"|\"");
    }
    std::size_t listenerCount = 0;
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopping) {
            throw std::logic_error("the network is stopped");
        }
        listenerCount = m_listeners.size();
    }
    // Room for every listener, a connection to each from a client in this same process and
    // the server's end of it, and the rest of the process.
    RaiseOpenFileLimit((listenerCount + 1) * 3 + 256);

    auto listener = std::make_unique<Listener>();
    const bool blackhole = config.behaviour == PeerBehaviour::Blackhole;
    listener->listening = config.behaviour != PeerBehaviour::Refuse && !blackhole;
    listener->fd = OpenLoopbackSocket(0, listener->listening || blackhole, blackhole ? 0 : SOMAXCONN);
    if (blackhole) {
        listener->fillers = FillAcceptQueue(listener->fd.Get());
    }
    listener->port = LocalPort(listener->fd.Get());
    listener->label = "peer " + cp949::ToUtf8(config.nick) + " " + kLoopbackHost + ":" +
                      std::to_string(listener->port);
    listener->config = std::move(config);
    const std::uint16_t port = listener->port;
    {
        const std::lock_guard lock(m_mutex);
        m_listeners.push_back(std::move(listener));
    }
    const char wake = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wakeWrite, &wake, 1);
    return port;
}

std::uint16_t Network::AppServerPort() const
{
    const std::lock_guard lock(m_mutex);
    return m_listeners.front()->port;
}

void Network::ServeGeneratedList()
{
    const std::lock_guard lock(m_mutex);
    m_mode = AppServerMode::GeneratedList;
}

void Network::ServeScript(AppServerScript script)
{
    const std::lock_guard lock(m_mutex);
    m_mode = AppServerMode::Scripted;
    m_script = std::move(script);
}

void Network::ServeSilence()
{
    const std::lock_guard lock(m_mutex);
    m_mode = AppServerMode::Silent;
}

void Network::ServeCloseWithoutAnswer()
{
    const std::lock_guard lock(m_mutex);
    m_mode = AppServerMode::CloseWithoutAnswer;
}

std::string Network::GeneratedServerList() const
{
    std::vector<channel::ServerEntry> entries;
    {
        const std::lock_guard lock(m_mutex);
        entries.reserve(m_listeners.size());
        for (const auto& listener : m_listeners) {
            if (!listener->appServer) {
                entries.push_back({listener->config.nick, kLoopbackHost, listener->port,
                                   listener->config.speed, listener->config.flags});
            }
        }
    }
    return ServerListLine(entries);
}

void Network::SetErrorCallback(std::function<void(const std::string&)> callback)
{
    const std::lock_guard lock(m_mutex);
    m_errorCallback = std::move(callback);
}

void Network::Start()
{
    const std::lock_guard lock(m_mutex);
    if (m_started || m_stopping) {
        return;
    }
    m_started = true;
    m_thread = std::thread([this] { Run(); });
}

void Network::Stop()
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopping) {
            return;
        }
        m_stopping = true;
    }
    const char wake = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wakeWrite, &wake, 1);
    if (m_thread.joinable()) {
        m_thread.join();
    }
    const std::lock_guard lock(m_mutex);
    for (const auto& listener : m_listeners) {
        listener->fd.Close();
        listener->fillers.clear();
    }
    m_stopped = true;
    Changed();
}

void Network::Run()
{
    try {
        Loop loop(*this);
        loop.Run();
    } catch (const std::exception& error) {
        ReportError(std::string("network thread ended: ") + error.what());
    }
}

void Network::Changed()
{
    ++m_generation;
    m_changed.notify_all();
}

void Network::ReportError(const std::string& line)
{
    std::function<void(const std::string&)> callback;
    {
        const std::lock_guard lock(m_mutex);
        callback = m_errorCallback;
    }
    // The callback runs first (and outside the lock, so it may call back in): whoever sees
    // the error on record knows the callback has had it too.
    if (callback) {
        callback(line);
    }
    const std::lock_guard lock(m_mutex);
    if (m_options.keepRecords) {
        m_errors.push_back(line);
    }
    Changed();
}

ListenerCounters Network::AppServerCounters() const
{
    const std::lock_guard lock(m_mutex);
    return m_listeners.front()->counters;
}

ListenerCounters Network::PeerCounters(std::uint16_t port) const
{
    const std::lock_guard lock(m_mutex);
    for (const auto& listener : m_listeners) {
        if (!listener->appServer && listener->port == port) {
            return listener->counters;
        }
    }
    return {};
}

std::uint64_t Network::OpenPeerConnections() const
{
    const std::lock_guard lock(m_mutex);
    return m_openPeerConnections;
}

std::vector<std::string> Network::Errors() const
{
    const std::lock_guard lock(m_mutex);
    return m_errors;
}

bool Network::WaitUntil(const std::function<bool()>& condition,
                        std::chrono::milliseconds limit) const
{
    const auto deadline = Clock::now() + limit;
    std::unique_lock lock(m_mutex);
    for (;;) {
        const std::uint64_t generation = m_generation;
        lock.unlock();
        if (condition()) {
            return true;
        }
        lock.lock();
        // Sleep only if nothing changed while the condition was looked at.
        while (m_generation == generation) {
            if (m_changed.wait_until(lock, deadline) == std::cv_status::timeout) {
                lock.unlock();
                return condition();
            }
        }
    }
}

} // namespace velkan::localnet
