#include "search/serverlistfetch.h"

#include "search/ipv4address.h"
#include "channel/linereceiver.h"
#include "search/peerconnection.h"
#include "channel/sendline.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velkan::search {

ServerListFetch::ServerListFetch(AppServerEndpoint endpoint, std::string request,
                                 channel::BlowFish& cipher, std::int32_t options,
                                 Settings settings, Completion completion)
    : m_endpoint(std::move(endpoint)), m_request(std::move(request)), m_cipher(cipher),
      m_options(options),
      m_settings{settings.budget ? std::move(settings.budget) : std::make_shared<InputBudget>(),
                 settings.connectTimeout, settings.resolver ? settings.resolver : &m_systemResolver,
                 settings.lookupTimeout},
      m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      m_answerFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    m_thread = std::thread([this, completion = std::move(completion)] { completion(Run()); });
}

ServerListFetch::~ServerListFetch()
{
    Cancel();
    m_thread.join();
    for (const int fd : {m_wakeFd, m_answerFd}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void ServerListFetch::Cancel()
{
    Wake();
}

void ServerListFetch::Wake()
{
    if (m_wakeFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    }
}

std::optional<ConnectionEnd> ServerListFetch::WhyNotReady(Wait wait, ConnectionEnd timedOut) const
{
    switch (wait) {
    case Wait::Ready:
        return std::nullopt;
    case Wait::TimedOut:
        return timedOut;
    case Wait::Woken:
        return m_overBudget ? ConnectionEnd::OverBudget : ConnectionEnd::ClosedByUs;
    case Wait::Failed:
        break;
    }
    return ConnectionEnd::Reset;
}

ServerListFetch::Wait ServerListFetch::WaitFor(int socket, short events, int timeoutMs) const
{
    pollfd watched[2] = {{socket, events, 0}, {m_wakeFd, POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(watched, m_wakeFd >= 0 ? 2 : 1, timeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            return Wait::Failed;
        }
        if (ready == 0) {
            return Wait::TimedOut;
        }
        return watched[1].revents != 0 ? Wait::Woken : Wait::Ready;
    }
}

ServerListFetch::Result ServerListFetch::Run()
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Result result;
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (socket < 0) {
        result.end = ConnectionEnd::NoSocket;
        result.figures.error = errno;
        return result;
    }
    const ::linger linger{1, 5};
    ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &linger, sizeof linger);
    auto conversation = Converse(socket, result.figures);
    if (const std::string* line = std::get_if<std::string>(&conversation)) {
        result.servers = channel::ParseServerList(*line, m_options, &result.figures.entries);
        result.ok = true;
    } else {
        result.end = std::get<ConnectionEnd>(conversation);
    }
    ::close(socket);
    result.figures.elapsedMs = static_cast<std::int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    return result;
}

std::variant<std::string, ConnectionEnd> ServerListFetch::Converse(int socket, FetchFigures& figures)
{
    if (const std::optional<ConnectionEnd> failed = Connect(socket, figures.error)) {
        return *failed;
    }
    figures.connected = true;
    if (!m_request.empty() && m_request.size() <= channel::kMaxListRequestLength) {
        std::int32_t bytesSent = 0;
        channel::SendLine(socket, m_cipher, m_request, bytesSent);
    }
    return ReadReply(socket, figures);
}

std::variant<in_addr, ConnectionEnd> ServerListFetch::Address(int& error)
{
    if (const std::optional<in_addr> dotted = DottedIPv4(m_endpoint.host)) {
        return *dotted;
    }
    if (m_answerFd < 0) {
        error = EMFILE;
        return ConnectionEnd::NoSocket;
    }
    // Abandoned when this returns, so the answer can never reach a fetch that is gone.
    const HostLookup lookup([this](const LookupAnswer& answer) {
        {
            const std::lock_guard lock(m_answerMutex);
            m_answer = answer;
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_answerFd, &one, sizeof one);
    });
    m_settings.resolver->Lookup(m_endpoint.host, lookup.Reply());
    const auto timeout = m_settings.lookupTimeout.count();
    const Wait wait = WaitFor(m_answerFd, POLLIN, timeout > 0 ? static_cast<int>(timeout) : -1);
    if (wait == Wait::TimedOut) {
        error = kHostLookupTimedOut;
        return ConnectionEnd::Refused;
    }
    if (const std::optional<ConnectionEnd> failed = WhyNotReady(wait, ConnectionEnd::Refused)) {
        return *failed;
    }
    const std::lock_guard lock(m_answerMutex);
    if (m_answer->error != 0) {
        error = m_answer->error;
        return ConnectionEnd::Refused;
    }
    return m_answer->address;
}

std::optional<ConnectionEnd> ServerListFetch::Connect(int socket, int& error)
{
    const std::variant<in_addr, ConnectionEnd> address = Address(error);
    if (const ConnectionEnd* failed = std::get_if<ConnectionEnd>(&address)) {
        return *failed;
    }
    const sockaddr_in target = MakeAddress(std::get<in_addr>(address), m_endpoint.port);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
        return std::nullopt;
    }
    if (errno != EINPROGRESS) {
        error = errno;
        return ConnectionEnd::Refused;
    }
    const auto timeout = m_settings.connectTimeout.count();
    const int timeoutMs = timeout > 0 ? static_cast<int>(timeout) : -1;
    if (const std::optional<ConnectionEnd> failed =
            WhyNotReady(WaitFor(socket, POLLOUT, timeoutMs), ConnectionEnd::ConnectTimeOut)) {
        return failed;
    }
    socklen_t length = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        error = errno;
    }
    if (error != 0) {
        return ConnectionEnd::Refused;
    }
    return std::nullopt;
}

std::variant<std::string, ConnectionEnd> ServerListFetch::ReadReply(int socket, FetchFigures& figures)
{
    // The share of the panel's input budget, taken back through the wake-up when a connection
    // on the panel's thread needs the room.
    InputBudget::Account account(m_settings.budget, [this] {
        m_overBudget = true;
        Wake();
    });
    // Read on past empty lines to the first line with text; whatever follows it is left.
    channel::LineReceiver receiver;
    char chunk[4096];
    for (;;) {
        const Wait wait = WaitFor(socket, POLLIN, m_endpoint.replyTimeoutMs);
        if (const std::optional<ConnectionEnd> failed = WhyNotReady(wait, ConnectionEnd::Idle)) {
            return *failed;
        }
        const ssize_t received = ::recv(socket, chunk, sizeof chunk, 0);
        if (received < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (received <= 0) {
            if (received < 0) {
                figures.error = errno;
            }
            return received == 0 ? ConnectionEnd::ClosedByPeer : ConnectionEnd::Reset;
        }
        figures.bytesReceived += received;
        if (!account.Hold(receiver.CapacityAfter(static_cast<std::size_t>(received)))) {
            return ConnectionEnd::OverBudget;
        }
        std::string_view input(chunk, static_cast<std::size_t>(received));
        while (std::optional<std::string> line = receiver.ReceiveLine(input)) {
            ++figures.lines;
            if (!line->empty()) {
                return std::move(*line);
            }
            input = {};
        }
        if (receiver.PendingSize() > PeerConnection::kMaxPendingBytes) {
            return ConnectionEnd::PendingCap;
        }
        if (!account.Hold(receiver.Capacity())) {
            return ConnectionEnd::OverBudget;
        }
    }
}

} // namespace velkan::search
