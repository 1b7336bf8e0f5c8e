#include "web/webhost.h"

#include "web/hostcheck.h"
#include "web/httphead.h"
#include "web/httpresponse.h"
#include "web/websession.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>

namespace velkan::web {
namespace {

template <typename Socket> QString PeerKey(const Socket& socket)
{
    return socket.peerAddress().toString() + QLatin1Char(' ') + QString::number(socket.peerPort());
}

void Answer(QTcpSocket* socket, const QByteArray& response)
{
    socket->disconnect();
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    socket->write(response);
    socket->disconnectFromHost();
}

QByteArray RefusalSentence(const QByteArray& reason)
{
    if (reason == "origin-not-allowed") {
        return "This page's origin is not on the bridge's allow-list, so it may not run searches.";
    }
    return "The bridge runs as many controls as it may; close another page's control first.";
}

} // namespace

WebHost::WebHost(WebHostOptions options, QObject* parent)
    : QObject(parent),
      m_options(std::move(options)),
      m_origins(m_options.originFiles, m_options.allowedOrigins),
      m_assets(m_options.fontFile),
      m_pendingInput(std::make_shared<search::InputBudget>(m_options.maxPendingInputBytes)),
      m_peerConnections(std::make_shared<search::ConnectionBudget>(m_options.maxPeerConnections)),
      m_webSockets(QStringLiteral("velkan-webhost"), QWebSocketServer::NonSecureMode)
{
    connect(&m_webSockets, &QWebSocketServer::newConnection, this, &WebHost::OnWebSocket);
}

WebHost::~WebHost()
{
    // Sessions first: each closes its engine's connections.
    for (WebSession* session : m_sessions) {
        session->disconnect(this);
        delete session;
    }
}

QString WebHost::Listen(const std::vector<int>& descriptors)
{
    if (!descriptors.empty()) {
        for (const int descriptor : descriptors) {
            auto server = std::make_unique<QTcpServer>();
            if (!server->setSocketDescriptor(descriptor)) {
                return QStringLiteral("descriptor %1 is not a listening socket: %2").arg(descriptor).arg(server->errorString());
            }
            m_port = server->serverPort();
            m_servers.push_back(std::move(server));
        }
    } else {
        auto v4 = std::make_unique<QTcpServer>();
        if (!v4->listen(QHostAddress::LocalHost, m_options.port)) {
            return QStringLiteral("cannot listen on 127.0.0.1:%1: %2").arg(m_options.port).arg(v4->errorString());
        }
        m_port = v4->serverPort();
        m_servers.push_back(std::move(v4));
        auto v6 = std::make_unique<QTcpServer>();
        if (v6->listen(QHostAddress::LocalHostIPv6, m_port)) {
            m_servers.push_back(std::move(v6));
        } else {
            qWarning("not listening on [::1]:%u: %s", m_port, qPrintable(v6->errorString()));
        }
    }
    for (auto& server : m_servers) {
        QTcpServer* listener = server.get();
        connect(listener, &QTcpServer::newConnection, this, [this, listener] { Accept(*listener); });
    }
    // The bridge's own demo page.
    const QByteArray port = QByteArray::number(m_port);
    for (const QByteArray& host : {QByteArray("127.0.0.1"), QByteArray("localhost"), QByteArray("[::1]")}) {
        m_origins.Allow("http://" + host + ':' + port);
    }
    return {};
}

void WebHost::Accept(QTcpServer& server)
{
    while (QTcpSocket* socket = server.nextPendingConnection()) {
        // The head must fit; nothing beyond it is buffered before it is read.
        socket->setReadBufferSize(kMaxHeadBytes);
        auto* timer = new QTimer(socket);
        timer->setObjectName(QStringLiteral("headTimer"));
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, socket, &QTcpSocket::abort);
        timer->start(m_options.headTimeoutMs);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnHeadBytes(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void WebHost::OnHeadBytes(QTcpSocket* socket)
{
    // Peeked, not read: a WebSocket handshake is handed on whole.
    const QByteArray bytes = socket->peek(kMaxHeadBytes);
    const HeadParse parse = ParseHead(bytes);
    switch (parse.status) {
    case HeadParse::Status::Incomplete:
        return;
    case HeadParse::Status::TooLarge:
        Answer(socket, HttpResponse(431, "text/plain", "The request head is over 16 KiB.\n"));
        return;
    case HeadParse::Status::Malformed:
        Answer(socket, HttpResponse(400, "text/plain", "Not an HTTP request.\n"));
        return;
    case HeadParse::Status::Complete:
        delete socket->findChild<QTimer*>(QStringLiteral("headTimer"));
        Route(socket, parse.head);
        return;
    }
}

void WebHost::Route(QTcpSocket* socket, const HttpHead& head)
{
    if (head.FieldCount("host") != 1 || !IsOwnHost(head.Field("host"), m_port)) {
        qWarning("refused a request for the host \"%s\"", head.Field("host").left(256).constData());
        Answer(socket, HttpResponse(403, "text/plain", "The Host field does not name this bridge.\n"));
        return;
    }
    const bool headOnly = head.method == "HEAD";
    if (head.method != "GET" && !headOnly) {
        Answer(socket, HttpResponse(405, "text/plain", "Only GET and HEAD.\n"));
        return;
    }
    const qsizetype query = head.target.indexOf('?');
    const QByteArray path = query < 0 ? head.target : head.target.first(query);
    const QByteArray origin = head.FieldCount("origin") == 1 ? head.Field("origin") : QByteArray();
    if (head.Field("upgrade").toLower() == "websocket") {
        if (path != "/control") {
            Answer(socket, HttpResponse(404, "text/plain", "Controls open at /control.\n"));
            return;
        }
        const QByteArray refusal = Refusal(origin);
        if (!refusal.isEmpty()) {
            qWarning("refused a control for the origin \"%s\": %s", origin.left(256).constData(), refusal.constData());
            Answer(socket, HttpResponse(refusal == "origin-not-allowed" ? 403 : 503, "text/plain",
                                        RefusalSentence(refusal) + '\n'));
            return;
        }
        Upgrade(socket, origin);
        return;
    }
    if (path == "/access") {
        // A browser sends no Origin with a same-origin GET: the bridge's own demo page asking,
        // whose origin is the Host field checked above.
        const bool ownPage = head.FieldCount("origin") == 0 && head.Field("sec-fetch-site") == "same-origin";
        const QByteArray refusal = Refusal(ownPage ? "http://" + head.Field("host").toLower() : origin);
        QJsonObject answer{{QStringLiteral("allowed"), refusal.isEmpty()}};
        if (!refusal.isEmpty()) {
            answer.insert(QStringLiteral("reason"), QString::fromLatin1(refusal));
            answer.insert(QStringLiteral("message"), QString::fromLatin1(RefusalSentence(refusal)));
        }
        Answer(socket, HttpResponse(200, "application/json", QJsonDocument(answer).toJson(QJsonDocument::Compact), !headOnly));
        return;
    }
    if (const auto asset = m_assets.Find(path)) {
        Answer(socket, HttpResponse(200, asset->contentType, asset->body, !headOnly));
        return;
    }
    Answer(socket, HttpResponse(404, "text/plain", "Not found.\n", !headOnly));
}

QByteArray WebHost::Refusal(const QByteArray& origin)
{
    if (!m_origins.Allows(origin)) {
        return "origin-not-allowed";
    }
    if (m_sessions.size() + m_pending.size() >= static_cast<std::size_t>(m_options.maxControls) ||
        ControlsOf(origin) >= m_options.maxControlsPerOrigin) {
        return "too-many-controls";
    }
    return {};
}

int WebHost::ControlsOf(const QByteArray& origin) const
{
    int count = 0;
    for (const WebSession* session : m_sessions) {
        count += m_sessionOrigins.value(const_cast<WebSession*>(session)) == origin ? 1 : 0;
    }
    for (const Pending& pending : m_pending) {
        count += pending.origin == origin ? 1 : 0;
    }
    return count;
}

void WebHost::Upgrade(QTcpSocket* socket, const QByteArray& origin)
{
    socket->disconnect();
    socket->setReadBufferSize(0);
    const QString key = PeerKey(*socket);
    m_pending.insert(key, {origin});
    // A handshake that never completes gives its place back; a session's socket is the
    // WebSocket's to free.
    connect(socket, &QTcpSocket::disconnected, this, [this, key, socket] {
        if (m_pending.remove(key) > 0) {
            socket->deleteLater();
        }
    });
    m_webSockets.handleConnection(socket);
}

void WebHost::OnWebSocket()
{
    while (QWebSocket* socket = m_webSockets.nextPendingConnection()) {
        const auto pending = m_pending.constFind(PeerKey(*socket));
        if (pending == m_pending.constEnd()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const QByteArray origin = pending->origin;
        m_pending.erase(pending);
        socket->setMaxAllowedIncomingMessageSize(kMaxMessageBytes);
        socket->setMaxAllowedIncomingFrameSize(kMaxMessageBytes);
        auto* session = new WebSession(socket,
                                       {.appServer = m_options.appServer,
                                        .limits = m_options.controlLimits,
                                        .wholeInputBudget = m_pendingInput,
                                        .connectionBudget = m_peerConnections},
                                       this);
        m_sessions.push_back(session);
        m_sessionOrigins.insert(session, origin);
        connect(session, &WebSession::finished, this, [this, session] {
            std::erase(m_sessions, session);
            m_sessionOrigins.remove(session);
            session->deleteLater();
            emit sessionsChanged();
        });
        emit sessionStarted(session);
        emit sessionsChanged();
    }
}

} // namespace velkan::web
