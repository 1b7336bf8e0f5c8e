#pragma once

#include "connectionlimits.h"
#include "peerconnection.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <memory>
#include <string>

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

// The panel's input budget, resolver and time-outs; without them, a budget of its own, the
// system's resolver and the product's time-outs.
struct ServerInfoQuerySettings {
    std::shared_ptr<InputBudget> budget;
    std::chrono::milliseconds connectTimeout = ConnectionLimits{}.connectTimeout;
    HostResolver* resolver = nullptr;
    std::chrono::milliseconds lookupTimeout = ConnectionLimits{}.hostLookup;
};

// The server-information conversation with one sharing server: it connects 100 ms after
// Start (once its window is on screen), sends the request, and reports every valid answer.
// Nothing is shown for a server that cannot be reached or answers wrongly. Only the connect
// has a time-out; a server that accepts may take as long as the user waits.
class ServerInfoQuery : public QObject {
    Q_OBJECT

public:
    static constexpr int kConnectDelayMs = 100;

    ServerInfoQuery(channel::BlowFish& cipher, std::string host, int port,
                    ServerInfoQuerySettings settings = {}, QObject* parent = nullptr);

    void Start();
    [[nodiscard]] bool IsConnected() const { return m_connection.IsOpen(); }

signals:
    void answered(const velkan::search::ServerInfoTexts& texts);
    // The conversation is over: the connect failed or the connection ended, answered or not.
    void ended(velkan::search::ConnectionEnd why);

private:
    void Connect();
    void OnLine(const std::string& line);

    channel::BlowFish& m_cipher;
    std::string m_host;
    int m_port;
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
