#pragma once

#include "web/assets.h"
#include "search/connectionbudget.h"
#include "search/inputbudget.h"
#include "web/originlist.h"
#include "search/searchengine.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QWebSocketServer>

#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;

namespace velkan::web {

class WebSession;

struct WebHostOptions {
    quint16 port = 8091;
    std::vector<QByteArray> allowedOrigins;
    QStringList originFiles = OriginList::DefaultFiles();
    search::AppServerEndpoint appServer;
    int maxControls = 32;
    int maxControlsPerOrigin = 8;
    // The whole bridge's, shared by its controls, each of which keeps to the panel's own
    // (500 connections, 64 MiB) within them.
    int maxPeerConnections = 1000;
    std::size_t maxPendingInputBytes = std::size_t{128} << 20;
    search::ConnectionLimits controlLimits;
    int headTimeoutMs = 10000;
    QString fontFile = Assets::DefaultFontFile();
};

// The bridge: HTTP on loopback for the element's files, and one engine session per WebSocket
// from an allowed origin. Every request is read with a bounded head and a time-out and must
// name the bridge itself in its Host field; one request a connection.
class WebHost : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 kMaxMessageBytes = 64 * 1024;

    explicit WebHost(WebHostOptions options, QObject* parent = nullptr);
    ~WebHost() override;

    // Listens on 127.0.0.1 and ::1 (the latter when the system has it) at the options' port,
    // 0 meaning one the kernel picks; or, when descriptors are given, on those listening
    // sockets (socket activation). The reason on failure.
    [[nodiscard]] QString Listen(const std::vector<int>& descriptors = {});
    [[nodiscard]] quint16 Port() const { return m_port; }
    [[nodiscard]] int SessionCount() const { return static_cast<int>(m_sessions.size()); }
    [[nodiscard]] const std::vector<WebSession*>& Sessions() const { return m_sessions; }
    [[nodiscard]] const search::InputBudget& PendingInput() const { return *m_pendingInput; }
    [[nodiscard]] const search::ConnectionBudget& PeerConnections() const { return *m_peerConnections; }

signals:
    void sessionStarted(velkan::web::WebSession* session);
    void sessionsChanged();

private:
    struct Pending {
        QByteArray origin;
    };
    void Accept(QTcpServer& server);
    void OnHeadBytes(QTcpSocket* socket);
    void Route(QTcpSocket* socket, const struct HttpHead& head);
    void Upgrade(QTcpSocket* socket, const QByteArray& origin);
    void OnWebSocket();
    // Why the origin may not open a control now; empty when it may.
    [[nodiscard]] QByteArray Refusal(const QByteArray& origin);
    [[nodiscard]] int ControlsOf(const QByteArray& origin) const;

    WebHostOptions m_options;
    OriginList m_origins;
    Assets m_assets;
    // Before the sessions, whose engines hold shares of them.
    const std::shared_ptr<search::InputBudget> m_pendingInput;
    const std::shared_ptr<search::ConnectionBudget> m_peerConnections;
    std::vector<std::unique_ptr<QTcpServer>> m_servers;
    QWebSocketServer m_webSockets;
    quint16 m_port = 0;
    // Handshakes handed to the WebSocket server, by the peer's address and port, until they become sessions.
    QHash<QString, Pending> m_pending;
    std::vector<WebSession*> m_sessions;
    QHash<WebSession*, QByteArray> m_sessionOrigins;
};

} // namespace velkan::web
