#include "search/peerconnection.h"

#include "search/ipv4address.h"
#include "channel/sendline.h"

#include <QMetaObject>

#include <cerrno>
#include <utility>
#include <sys/socket.h>
#include <unistd.h>

namespace velkan::search {

namespace {

constexpr std::size_t kChunkBytes = 4096;

std::int32_t AddWrapping(std::int32_t counter, ssize_t count)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) +
                                     static_cast<std::uint32_t>(count));
}

std::shared_ptr<InputBudget> OrOwnBudget(std::shared_ptr<InputBudget> budget)
{
    return budget ? std::move(budget) : std::make_shared<InputBudget>();
}

} // namespace

PeerConnection::PeerConnection(Callbacks callbacks, std::shared_ptr<InputBudget> budget,
                               PeerTimeouts timeouts, AddressBook* addresses)
    : m_callbacks(std::move(callbacks)), m_timeouts(timeouts), m_addresses(addresses),
      m_account(
          OrOwnBudget(std::move(budget)),
          // Room needed by the fetch's thread: close here, once the event loop comes round.
          [this] {
              QMetaObject::invokeMethod(
                  &m_deadline,
                  [this] {
                      if (IsOpen() && m_account.Evicted()) {
                          CloseForLimit(ConnectionEnd::OverBudget);
                      }
                  },
                  Qt::QueuedConnection);
          },
          [this] { CloseForLimit(ConnectionEnd::OverBudget); })
{
    m_readNotifier.setEnabled(false);
    m_writeNotifier.setEnabled(false);
    m_deadline.setSingleShot(true);
    m_deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_readNotifier, &QSocketNotifier::activated, [this] { OnReadable(); });
    QObject::connect(&m_writeNotifier, &QSocketNotifier::activated, [this] { OnWritable(); });
    QObject::connect(&m_deadline, &QTimer::timeout, [this] { OnDeadline(); });
}

PeerConnection::~PeerConnection()
{
    Close();
}

AddressBook& PeerConnection::Addresses()
{
    if (m_addresses == nullptr) {
        m_ownResolver = std::make_unique<SystemResolver>();
        m_ownAddresses = std::make_unique<AddressBook>(*m_ownResolver);
        m_addresses = m_ownAddresses.get();
    }
    return *m_addresses;
}

PeerConnection::OpenResult PeerConnection::Open(const std::string& host, int port, bool linger)
{
    Close();
    m_openedAt = Clock::now();
    m_firstInput = {};
    m_error = 0;
    m_address.reset();
    m_port = port;
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (socket < 0) {
        m_error = errno;
        return m_error == EMFILE || m_error == ENFILE ? OpenResult::NoDescriptors
                                                      : OpenResult::SocketFailed;
    }
    m_socket = socket;
    if (linger) {
        const ::linger option{1, 5};
        ::setsockopt(m_socket, SOL_SOCKET, SO_LINGER, &option, sizeof option);
    }
    // The socket is made first, so that a process short of descriptors takes no entry; it waits
    // unused while the address is looked up.
    int ticket = -1;
    const std::optional<LookupAnswer> known =
        Addresses().Find(host, ticket, [this](const LookupAnswer& answer) { OnAddress(answer); });
    if (!known) {
        m_lookupTicket = ticket;
        ArmDeadline(m_openedAt);
        return OpenResult::Connecting;
    }
    return Connect(*known) ? OpenResult::Connecting : OpenResult::ConnectFailed;
}

bool PeerConnection::Connect(const LookupAnswer& answer)
{
    if (answer.error != 0) {
        m_error = answer.error;
        Close();
        return false;
    }
    m_address = answer.address;
    m_connectAt = Clock::now();
    const sockaddr_in target = MakeAddress(answer.address, m_port);
    if (::connect(m_socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0 &&
        errno != EINPROGRESS) {
        m_error = errno;
        Close();
        return false;
    }
    // The first writability reports the connect's outcome.
    m_connecting = true;
    m_lastInput = m_connectAt;
    m_writeNotifier.setSocket(m_socket);
    m_writeNotifier.setEnabled(true);
    ArmDeadline(m_connectAt);
    return true;
}

void PeerConnection::OnAddress(const LookupAnswer& answer)
{
    m_lookupTicket = -1;
    if (!Connect(answer)) {
        m_callbacks.connectFailed(ConnectionEnd::Refused);
    }
}

void PeerConnection::Close()
{
    if (m_socket < 0) {
        return;
    }
    // Stop watching before the descriptor is released, so that no notification can reach the
    // next socket that reuses its number.
    m_readNotifier.setEnabled(false);
    m_writeNotifier.setEnabled(false);
    m_deadline.stop();
    if (m_lookupTicket >= 0) {
        m_addresses->Withdraw(std::exchange(m_lookupTicket, -1));
    }
    ::close(m_socket);
    m_socket = -1;
    m_connecting = false;
    m_request.reset();
    m_receiver.Clear();
    m_account.Release();
}

void PeerConnection::SendRequest(channel::BlowFish& cipher, std::string_view text)
{
    SendRequest(std::make_shared<const std::string>(channel::RequestLine(cipher, text)));
}

void PeerConnection::SendRequest(std::shared_ptr<const std::string> line)
{
    if (!IsOpen() || m_connecting || m_lookupTicket >= 0 || !line || line->empty()) {
        return;
    }
    m_request = std::move(line);
    m_requestSent = 0;
    Flush();
}

void PeerConnection::Flush()
{
    while (m_request) {
        const std::string& line = *m_request;
        // A peer that has already gone must not raise SIGPIPE in the host process.
        const ssize_t sent =
            ::send(m_socket, line.data() + m_requestSent, line.size() - m_requestSent, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writeNotifier.setEnabled(true); // the rest goes once the socket takes more
            return;
        }
        if (sent <= 0) {
            // The peer is gone; reading tells how, so the rest is simply dropped.
            m_request.reset();
            break;
        }
        m_bytesSent = AddWrapping(m_bytesSent, sent);
        m_requestSent += static_cast<std::size_t>(sent);
        if (m_requestSent == line.size()) {
            m_request.reset();
        }
    }
    m_writeNotifier.setEnabled(false);
}

void PeerConnection::ResetCounters()
{
    m_bytesSent = 0;
    m_bytesReceived = 0;
    m_receiver.Clear();
    m_account.Release();
}

void PeerConnection::OnWritable()
{
    m_writeNotifier.setEnabled(false);
    if (!m_connecting) {
        Flush();
        return;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        error = errno;
    }
    if (error != 0) {
        m_error = error;
        Close();
        m_callbacks.connectFailed(ConnectionEnd::Refused);
        return;
    }
    m_connecting = false;
    m_lastInput = Clock::now();
    ArmDeadline(m_lastInput);
    m_readNotifier.setSocket(m_socket);
    m_readNotifier.setEnabled(true);
    m_callbacks.connected();
}

void PeerConnection::OnReadable()
{
    char chunk[kChunkBytes];
    const ssize_t received = ::recv(m_socket, chunk, sizeof chunk, 0);
    if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return;
    }
    if (received <= 0) {
        m_error = received < 0 ? errno : 0;
        CloseFromPeer(received == 0 ? ConnectionEnd::ClosedByPeer : ConnectionEnd::Reset);
        return;
    }
    m_lastInput = Clock::now();
    if (m_firstInput == Clock::time_point{}) {
        m_firstInput = m_lastInput;
    }
    m_bytesReceived = AddWrapping(m_bytesReceived, received);
    // The room is asked for before the bytes are taken in, so the budget is never overdrawn.
    if (!m_account.Hold(m_receiver.CapacityAfter(static_cast<std::size_t>(received)))) {
        CloseForLimit(ConnectionEnd::OverBudget);
        return;
    }
    std::optional<std::string> line =
        m_receiver.ReceiveLine(std::string_view(chunk, static_cast<std::size_t>(received)));
    if (m_receiver.PendingSize() > kMaxPendingBytes) {
        CloseForLimit(ConnectionEnd::PendingCap);
        return;
    }
    if (!m_account.Hold(m_receiver.Capacity())) {
        CloseForLimit(ConnectionEnd::OverBudget);
        return;
    }
    if (line && !line->empty()) {
        m_callbacks.lineReceived(std::move(*line));
    }
}

void PeerConnection::ArmDeadline(Clock::time_point now)
{
    Clock::time_point due = Clock::time_point::max();
    if (m_lookupTicket >= 0) {
        if (m_timeouts.lookup.count() > 0) {
            due = m_openedAt + m_timeouts.lookup;
        }
    } else {
        if (m_connecting && m_timeouts.connect.count() > 0) {
            due = m_connectAt + m_timeouts.connect;
        }
        if (!m_connecting && m_timeouts.idle.count() > 0) {
            due = m_lastInput + m_timeouts.idle;
        }
        if (m_timeouts.lifetime.count() > 0) {
            due = std::min(due, m_connectAt + m_timeouts.lifetime);
        }
    }
    if (due == Clock::time_point::max()) {
        m_deadline.stop();
        return;
    }
    const Clock::duration left = std::max(due - now, Clock::duration{});
    m_deadline.start(std::chrono::ceil<std::chrono::milliseconds>(left));
}

void PeerConnection::OnDeadline()
{
    if (!IsOpen()) {
        return;
    }
    // Input keeps the idle time moving without touching the timer on every read; the timer is
    // only set again here, when it comes due early.
    const Clock::time_point now = Clock::now();
    const auto passed = [&](Clock::time_point since, std::chrono::milliseconds limit) {
        return limit.count() > 0 && now - since >= limit;
    };
    if (m_lookupTicket >= 0) {
        if (passed(m_openedAt, m_timeouts.lookup)) {
            m_error = kHostLookupTimedOut;
            Close();
            m_callbacks.connectFailed(ConnectionEnd::Refused);
        } else {
            ArmDeadline(now);
        }
    } else if (m_connecting && passed(m_connectAt, m_timeouts.connect)) {
        Close();
        m_callbacks.connectFailed(ConnectionEnd::ConnectTimeOut);
    } else if (passed(m_connectAt, m_timeouts.lifetime)) {
        CloseForLimit(ConnectionEnd::Lifetime);
    } else if (!m_connecting && passed(m_lastInput, m_timeouts.idle)) {
        CloseForLimit(ConnectionEnd::Idle);
    } else {
        ArmDeadline(now);
    }
}

void PeerConnection::CloseForLimit(ConnectionEnd why)
{
    Close();
    m_callbacks.closed(why);
}

void PeerConnection::CloseFromPeer(ConnectionEnd why)
{
    // Complete lines still held come out before the close; an unfinished one is dropped.
    std::vector<std::string> lines;
    while (std::optional<std::string> line = m_receiver.ReceiveLine({})) {
        if (!line->empty()) {
            lines.push_back(std::move(*line));
        }
    }
    ::shutdown(m_socket, SHUT_RDWR);
    Close();
    for (std::string& line : lines) {
        m_callbacks.lineReceived(std::move(line));
    }
    m_callbacks.closed(why);
}

} // namespace velkan::search
