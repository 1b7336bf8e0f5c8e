#pragma once

#include "channel/appserverprotocol.h"
#include "search/connectionlimits.h"
#include "search/peerconnection.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velkan::channel {
class BlowFish;
}

namespace velkan::search {

// The four values the server-information window shows, ready for the screen.
struct ServerInfoTexts {
    QString download;
    QString upload;
    QString count;
    QString size;
};

// Why a server-information query brought no figures.
enum class ServerInfoFailure {
    NoSuchRow, // the row, or a server for it, is not there: nobody was asked
    Refused,   // the connect was refused, or no socket could be made for it
    Closed,    // the connection ended before the server said anything
    Malformed, // the server said something, but no valid answer
    Timeout,   // nobody answered the connect in time, or the host gave up waiting
};

// "no-such-row", "refused", "closed", "malformed" or "timeout": the name records give the reason.
std::string_view ServerInfoFailureName(ServerInfoFailure failure);

// Why a conversation that ended as `why` brought no answer; heardSomething: the server sent
// bytes that were no valid answer.
ServerInfoFailure ServerInfoFailureOf(ConnectionEnd why, bool heardSomething);

// The panel's input budget, resolver and time-outs; without them, a budget of its own, the
// system's resolver and the product's time-outs.
struct ServerInfoQuerySettings {
    std::shared_ptr<InputBudget> budget;
    std::chrono::milliseconds connectTimeout = ConnectionLimits{}.connectTimeout;
    HostResolver* resolver = nullptr;
    std::chrono::milliseconds lookupTimeout = ConnectionLimits{}.hostLookup;
};

// The server-information conversation with one sharing server: it connects 100 ms after
// Start (once its window is on screen), sends the request, and reports every valid answer as
// figures; once it has ended without one, Failure() says why. Only the connect has a time-out;
// a server that accepts may take as long as the user waits.
class ServerInfoQuery : public QObject {
    Q_OBJECT

public:
    static constexpr int kConnectDelayMs = 100;

    ServerInfoQuery(channel::BlowFish& cipher, channel::ServerEntry server,
                    ServerInfoQuerySettings settings = {}, QObject* parent = nullptr);
    ServerInfoQuery(channel::BlowFish& cipher, std::string host, int port,
                    ServerInfoQuerySettings settings = {}, QObject* parent = nullptr);

    void Start();
    [[nodiscard]] bool IsConnected() const { return m_connection.IsOpen(); }
    // The server asked; its nickname is empty when it was given by address alone.
    [[nodiscard]] const channel::ServerEntry& Server() const { return m_server; }
    // Once ended: why no valid answer came; empty while the conversation goes on, or once an
    // answer came.
    [[nodiscard]] std::optional<ServerInfoFailure> Failure() const { return m_failure; }

signals:
    void answered(const velkan::search::ServerInfoTexts& texts);
    // The conversation is over: the connect failed or the connection ended, answered or not.
    void ended(velkan::search::ConnectionEnd why);

private:
    void Connect();
    void OnLine(const std::string& line);
    void End(ConnectionEnd why);

    channel::BlowFish& m_cipher;
    channel::ServerEntry m_server;
    bool m_answered = false;
    std::optional<ServerInfoFailure> m_failure;
    QTimer m_connectTimer;
    SystemResolver m_systemResolver;
    AddressBook m_addresses; // before the connection that uses it
    PeerConnection m_connection;
};

// The window title: the nickname followed by " 서버 정보".
QString ServerInfoTitle(std::string_view nick);

} // namespace velkan::search

Q_DECLARE_METATYPE(velkan::search::ServerInfoTexts)
Q_DECLARE_METATYPE(velkan::search::ConnectionEnd)
