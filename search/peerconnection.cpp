#include "peerconnection.h"

#include "ipv4address.h"
#include "sendline.h"

#include <cerrno>
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

} // namespace

PeerConnection::PeerConnection(Callbacks callbacks) : m_callbacks(std::move(callbacks))
{
    m_readNotifier.setEnabled(false);
    m_writeNotifier.setEnabled(false);
    QObject::connect(&m_readNotifier, &QSocketNotifier::activated, [this] { OnReadable(); });
    QObject::connect(&m_writeNotifier, &QSocketNotifier::activated, [this] { OnWritable(); });
}

PeerConnection::~PeerConnection()
{
    Close();
}

PeerConnection::OpenResult PeerConnection::Open(const std::string& host, int port, bool linger)
{
    Close();
    m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (m_socket < 0) {
        return OpenResult::SocketFailed;
    }
    if (linger) {
        const ::linger option{1, 5};
        ::setsockopt(m_socket, SOL_SOCKET, SO_LINGER, &option, sizeof option);
    }
    const std::optional<in_addr> address = ResolveIPv4(host);
    if (!address) {
        Close();
        return OpenResult::ConnectFailed;
    }
    const sockaddr_in target = MakeAddress(*address, port);
    if (::connect(m_socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0 &&
        errno != EINPROGRESS) {
        Close();
        return OpenResult::ConnectFailed;
    }
    // The first writability reports the connect's outcome.
    m_writeNotifier.setSocket(m_socket);
    m_writeNotifier.setEnabled(true);
    return OpenResult::Connecting;
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
    ::close(m_socket);
    m_socket = -1;
    m_receiver.Clear();
}

void PeerConnection::SendRequest(channel::BlowFish& cipher, std::string_view text)
{
    if (IsOpen()) {
        channel::SendLine(m_socket, cipher, text, m_bytesSent);
    }
}

void PeerConnection::ResetCounters()
{
    m_bytesSent = 0;
    m_bytesReceived = 0;
    m_receiver.Clear();
}

void PeerConnection::OnWritable()
{
    m_writeNotifier.setEnabled(false);
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        error = errno;
    }
    if (error != 0) {
        m_callbacks.connectFailed();
        return;
    }
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
        CloseFromPeer();
        return;
    }
    m_bytesReceived = AddWrapping(m_bytesReceived, received);
    std::optional<std::string> line =
        m_receiver.ReceiveLine(std::string_view(chunk, static_cast<std::size_t>(received)));
    if (m_receiver.PendingSize() > kMaxPendingBytes) {
        Close();
        m_callbacks.closed();
        return;
    }
    if (line && !line->empty()) {
        m_callbacks.lineReceived(*line);
    }
}

void PeerConnection::CloseFromPeer()
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
    for (const std::string& line : lines) {
        m_callbacks.lineReceived(line);
    }
    m_callbacks.closed();
}

} // namespace velkan::search
