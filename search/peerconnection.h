#pragma once

#include "search/addressbook.h"
#include "search/connectionend.h"
#include "search/inputbudget.h"
#include "channel/linereceiver.h"

#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velkan::channel {
class BlowFish;
}

namespace velkan::search {

// How long a connection may wait for its host's address and for its connect, stay silent, and
// last; zero means no limit.
struct PeerTimeouts {
    std::chrono::milliseconds connect{0};  // since the address arrived
    std::chrono::milliseconds idle{0};     // since the connect or the last bytes received
    std::chrono::milliseconds lifetime{0}; // since the connect began
    std::chrono::milliseconds lookup{10000};
};

// One short conversation with a sharing server over a non-blocking TCP socket watched by the
// event loop: the host's address, connect, one request line, reply lines, the server's close.
// Used for the fan-out's slots and for the server-information window. Nothing blocks: the
// address comes from an AddressBook, the request goes out as the socket takes it, and replies
// are read meanwhile.
class PeerConnection {
public:
    // A peer's pending input beyond this is no honest reply: the connection is dropped.
    static constexpr std::size_t kMaxPendingBytes = 16 * 1024 * 1024;

    struct Callbacks {
        std::function<void()> connected;
        // The connect failed or was not answered in time; the socket is already closed.
        std::function<void(ConnectionEnd why)> connectFailed;
        std::function<void(std::string line)> lineReceived;
        // The connection ended from the far side, or by one of its limits, and has already been
        // closed here.
        std::function<void(ConnectionEnd why)> closed;
    };

    // Without a budget the connection gets one of its own, of the default size; without an
    // address book, one of its own over the system's resolver.
    explicit PeerConnection(Callbacks callbacks, std::shared_ptr<InputBudget> budget = nullptr,
                            PeerTimeouts timeouts = {}, AddressBook* addresses = nullptr);
    ~PeerConnection();
    PeerConnection(const PeerConnection&) = delete;
    PeerConnection& operator=(const PeerConnection&) = delete;

    enum class OpenResult { Connecting, NoDescriptors, SocketFailed, ConnectFailed };
    // Creates the socket and starts connecting, once the host's address is known unless it is
    // already; the outcome arrives as connected or connectFailed (Refused for a lookup that
    // failed or did not answer in time). Fails at once, with nothing changed, when the process
    // has no descriptor to spare, and fails at once when no socket can be made otherwise, the
    // host is known not to resolve or the connect is refused on the spot.
    OpenResult Open(const std::string& host, int port, bool linger);
    // Closes the socket if open; no callback follows.
    void Close();
    [[nodiscard]] bool IsOpen() const { return m_socket >= 0; }
    [[nodiscard]] int Socket() const { return m_socket; }

    // Sends a request line, ready for the wire, to its end as the socket takes it; the line may
    // be shared with other connections.
    void SendRequest(std::shared_ptr<const std::string> line);
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
    // The error that ended the last connection (see ErrorText), or 0.
    [[nodiscard]] int LastError() const { return m_error; }
    // The address the last connection contacted, kept after the close; nothing before its
    // lookup answered.
    [[nodiscard]] const std::optional<in_addr>& Address() const { return m_address; }
    [[nodiscard]] bool IsLookingUp() const { return m_lookupTicket >= 0; }
    void SetStartTick(std::uint32_t tick) { m_startTick = tick; }
    // Received bytes held while their line is unfinished.
    [[nodiscard]] std::size_t PendingBytes() const { return m_receiver.PendingSize(); }
    // The memory that holds them, which is what the input budget counts.
    [[nodiscard]] std::size_t PendingCapacity() const { return m_receiver.Capacity(); }

private:
    using Clock = std::chrono::steady_clock;

    [[nodiscard]] AddressBook& Addresses();
    // Starts the connect to the address found; false, with the socket closed, when it failed.
    bool Connect(const LookupAnswer& answer);
    void OnAddress(const LookupAnswer& answer);
    void Flush();
    void OnWritable();
    void OnReadable();
    void OnDeadline();
    void ArmDeadline(Clock::time_point now);
    void CloseFromPeer(ConnectionEnd why);
    void CloseForLimit(ConnectionEnd why);

    Callbacks m_callbacks;
    const PeerTimeouts m_timeouts;
    AddressBook* m_addresses;
    std::unique_ptr<SystemResolver> m_ownResolver;
    std::unique_ptr<AddressBook> m_ownAddresses;
    int m_socket = -1;
    int m_port = 0;
    int m_lookupTicket = -1; // while the address is awaited
    bool m_connecting = false;
    std::optional<in_addr> m_address;
    std::shared_ptr<const std::string> m_request; // while it is going out
    std::size_t m_requestSent = 0;
    Clock::time_point m_openedAt;
    Clock::time_point m_connectAt;
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
