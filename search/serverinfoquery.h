#pragma once

#include "peerconnection.h"

#include <QObject>
#include <QString>
#include <QTimer>

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

// The server-information conversation with one sharing server: it connects 100 ms after
// Start (once its window is on screen), sends the request, and reports every valid answer.
// Nothing is shown for a server that cannot be reached or answers wrongly; there is no time-out.
class ServerInfoQuery : public QObject {
    Q_OBJECT

public:
    static constexpr int kConnectDelayMs = 100;

    ServerInfoQuery(channel::BlowFish& cipher, std::string host, int port,
                    QObject* parent = nullptr);

    void Start();
    [[nodiscard]] bool IsConnected() const { return m_connection.IsOpen(); }

signals:
    void answered(const velkan::search::ServerInfoTexts& texts);

private:
    void Connect();
    void OnLine(const std::string& line);

    channel::BlowFish& m_cipher;
    std::string m_host;
    int m_port;
    QTimer m_connectTimer;
    PeerConnection m_connection;
};

// The window title: the nickname followed by " 서버 정보".
QString ServerInfoTitle(std::string_view nick);

} // namespace velkan::search

Q_DECLARE_METATYPE(velkan::search::ServerInfoTexts)
