#pragma once

#include "linereceiver.h"

#include <QSocketNotifier>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velkan::channel {
class BlowFish;
}

namespace velkan::search {

// One short conversation with a sharing server over a non-blocking TCP socket watched by the
// event loop: connect, one request line, reply lines, the server's close. Used for the fan-out's
// slots and for the server-information window.
class PeerConnection {
public:
    // A peer's pending input beyond this is no honest reply: the connection is dropped.
    static constexpr std::size_t kMaxPendingBytes = 16 * 1024 * 1024;

    struct Callbacks {
        std::function<void()> connected;
        std::function<void()> connectFailed;
        std::function<void(const std::string& line)> lineReceived;
        // The connection ended from the far side (close, reset, or too much input) and has
        // already been closed here.
        std::function<void()> closed;
    };

    explicit PeerConnection(Callbacks callbacks);
    ~PeerConnection();
    PeerConnection(const PeerConnection&) = delete;
    PeerConnection& operator=(const PeerConnection&) = delete;

    enum class OpenResult { Connecting, SocketFailed, ConnectFailed };
    // Creates the socket and starts connecting; the outcome arrives as connected or
    // connectFailed. Fails at once when no socket can be made or the host does not resolve.
    OpenResult Open(const std::string& host, int port, bool linger);
    // Closes the socket if open; no callback follows.
    void Close();
    [[nodiscard]] bool IsOpen() const { return m_socket >= 0; }
    [[nodiscard]] int Socket() const { return m_socket; }

    // Sends text as one protected request line.
    void SendRequest(channel::BlowFish& cipher, std::string_view text);

    void ResetCounters();
    [[nodiscard]] std::int32_t BytesSent() const { return m_bytesSent; }
    [[nodiscard]] std::int32_t BytesReceived() const { return m_bytesReceived; }
    [[nodiscard]] std::uint32_t StartTick() const { return m_startTick; }
    void SetStartTick(std::uint32_t tick) { m_startTick = tick; }

private:
    void OnWritable();
    void OnReadable();
    void CloseFromPeer();

    Callbacks m_callbacks;
    int m_socket = -1;
    QSocketNotifier m_readNotifier{QSocketNotifier::Read};
    QSocketNotifier m_writeNotifier{QSocketNotifier::Write};
    channel::LineReceiver m_receiver;
    std::int32_t m_bytesSent = 0;
    std::int32_t m_bytesReceived = 0;
    std::uint32_t m_startTick = 0;
};

} // namespace velkan::search
