#pragma once

#include "connectionend.h"
#include "inputbudget.h"
#include "linereceiver.h"

#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace velkan::channel {
class BlowFish;
}

namespace velkan::search {

// How long a connection may wait for its connect, stay silent, and last; zero means no limit.
struct PeerTimeouts {
    std::chrono::milliseconds connect{0};
    std::chrono::milliseconds idle{0};     // since the connect or the last bytes received
    std::chrono::milliseconds lifetime{0}; // since the connect began
};

// One short conversation with a sharing server over a non-blocking TCP socket watched by the
// event loop: connect, one request line, reply lines, the server's close. Used for the fan-out's
// slots and for the server-information window.
class PeerConnection {
public:
    // A peer's pending input beyond this is no honest reply: the connection is dropped.
    static constexpr std::size_t kMaxPendingBytes = 16 * 1024 * 1024;

    struct Callbacks {
        std::function<void()> connected;
        // The connect failed or was not answered in time; the socket is already closed.
        std::function<void(ConnectionEnd why)> connectFailed;
        std::function<void(const std::string& line)> lineReceived;
        // The connection ended from the far side, or by one of its limits, and has already been
        // closed here.
        std::function<void(ConnectionEnd why)> closed;
    };

    // Without a budget the connection gets one of its own, of the default size.
    explicit PeerConnection(Callbacks callbacks, std::shared_ptr<InputBudget> budget = nullptr,
                            PeerTimeouts timeouts = {});
    ~PeerConnection();
    PeerConnection(const PeerConnection&) = delete;
    PeerConnection& operator=(const PeerConnection&) = delete;

    enum class OpenResult { Connecting, NoDescriptors, SocketFailed, ConnectFailed };
    // Creates the socket and starts connecting; the outcome arrives as connected or
    // connectFailed. Fails at once, with nothing changed, when the process has no descriptor to
    // spare, and fails at once when no socket can be made otherwise or the host does not
    // resolve.
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
    // When the last Open began and when its first bytes arrived (the epoch while none have);
    // both stay readable after the close.
    [[nodiscard]] std::chrono::steady_clock::time_point OpenedAt() const { return m_openedAt; }
    [[nodiscard]] std::chrono::steady_clock::time_point FirstInputAt() const { return m_firstInput; }
    // The errno that ended the last connection (kHostNotFound for a host that did not resolve),
    // or 0.
    [[nodiscard]] int LastError() const { return m_error; }
    void SetStartTick(std::uint32_t tick) { m_startTick = tick; }
    // Received bytes held while their line is unfinished.
    [[nodiscard]] std::size_t PendingBytes() const { return m_receiver.PendingSize(); }

private:
    using Clock = std::chrono::steady_clock;

    void OnWritable();
    void OnReadable();
    void OnDeadline();
    void ArmDeadline(Clock::time_point now);
    void CloseFromPeer(ConnectionEnd why);
    void CloseForLimit(ConnectionEnd why);

    Callbacks m_callbacks;
    const PeerTimeouts m_timeouts;
    int m_socket = -1;
    bool m_connecting = false;
    Clock::time_point m_openedAt;
    Clock::time_point m_lastInput;
    Clock::time_point m_firstInput;
    int m_error = 0;
    QSocketNotifier m_readNotifier{QSocketNotifier::Read};
    QSocketNotifier m_writeNotifier{QSocketNotifier::Write};
    QTimer m_deadline;
    channel::LineReceiver m_receiver;
    // After the notifiers and the timer, so it is gone before them: nothing can be posted to
    // them once they are being destroyed.
    InputBudget::Account m_account;
    std::int32_t m_bytesSent = 0;
    std::int32_t m_bytesReceived = 0;
    std::uint32_t m_startTick = 0;
};

} // namespace velkan::search
