#include "search/serverinfoquery.h"

#include "channel/cp949convert.h"
#include "channel/decimal.h"
#include "channel/peerprotocol.h"
#include "search/resulttexts.h"

#include <cmath>

namespace velkan::search {

namespace {

QString FromCp949(std::string_view text)
{
    return QString::fromStdString(cp949::ToUtf8(text));
}

} // namespace

std::string_view ServerInfoFailureName(ServerInfoFailure failure)
{
    switch (failure) {
    case ServerInfoFailure::NoSuchRow:
        return "no-such-row";
    case ServerInfoFailure::Refused:
        return "refused";
    case ServerInfoFailure::Closed:
        return "closed";
    case ServerInfoFailure::Malformed:
        return "malformed";
    case ServerInfoFailure::Timeout:
        return "timeout";
    }
    return "closed";
}

ServerInfoFailure ServerInfoFailureOf(ConnectionEnd why, bool heardSomething)
{
    switch (why) {
    case ConnectionEnd::NoSocket:
    case ConnectionEnd::Refused:
        return ServerInfoFailure::Refused;
    case ConnectionEnd::ConnectTimeOut:
    case ConnectionEnd::Idle:
    case ConnectionEnd::Lifetime:
        return ServerInfoFailure::Timeout;
    case ConnectionEnd::PendingCap:
        return ServerInfoFailure::Malformed; // one line longer than any answer can be
    case ConnectionEnd::OverBudget:
    case ConnectionEnd::Reset:
    case ConnectionEnd::ClosedByPeer:
    case ConnectionEnd::ClosedByUs:
        break;
    }
    return heardSomething ? ServerInfoFailure::Malformed : ServerInfoFailure::Closed;
}

ServerInfoQuery::ServerInfoQuery(channel::BlowFish& cipher, std::string host, int port,
                                 ServerInfoQuerySettings settings, QObject* parent)
    : ServerInfoQuery(cipher, channel::ServerEntry{.host = std::move(host), .port = port}, std::move(settings),
                      parent)
{
}

ServerInfoQuery::ServerInfoQuery(channel::BlowFish& cipher, channel::ServerEntry server,
                                 ServerInfoQuerySettings settings, QObject* parent)
    : QObject(parent), m_cipher(cipher), m_server(std::move(server)),
      m_addresses(settings.resolver ? *settings.resolver : m_systemResolver),
      m_connection(
          PeerConnection::Callbacks{
              .connected =
                  [this] { m_connection.SendRequest(m_cipher, channel::kServerInfoRequest); },
              .connectFailed = [this](ConnectionEnd why) { End(why); },
              .lineReceived = [this](const std::string& line) { OnLine(line); },
              .closed = [this](ConnectionEnd why) { End(why); },
          },
          std::move(settings.budget),
          {.connect = settings.connectTimeout, .lookup = settings.lookupTimeout}, &m_addresses)
{
    m_connectTimer.setSingleShot(true);
    m_connectTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_connectTimer, &QTimer::timeout, this, &ServerInfoQuery::Connect);
}

void ServerInfoQuery::Start()
{
    m_connectTimer.start(kConnectDelayMs);
}

void ServerInfoQuery::Connect()
{
    m_connection.ResetCounters();
    switch (m_connection.Open(m_server.host, m_server.port, true)) {
    case PeerConnection::OpenResult::Connecting:
        break;
    case PeerConnection::OpenResult::ConnectFailed:
        End(ConnectionEnd::Refused);
        break;
    case PeerConnection::OpenResult::NoDescriptors:
    case PeerConnection::OpenResult::SocketFailed:
        End(ConnectionEnd::NoSocket);
        break;
    }
}

void ServerInfoQuery::End(ConnectionEnd why)
{
    if (!m_answered) {
        m_failure = ServerInfoFailureOf(why, m_connection.BytesReceived() > 0);
    }
    emit ended(why);
}

void ServerInfoQuery::OnLine(const std::string& line)
{
    const std::optional<channel::ServerInfo> info = channel::ParseServerInfoReply(line);
    if (!info) {
        return;
    }
    m_answered = true;
    emit answered({
        .download = FromCp949(info->download),
        .upload = FromCp949(info->upload),
        .count = QString::fromStdString(decimal::GroupDigits(info->fileCount)),
        .size = QString::fromStdString(InfoSizeText(info->totalSize)),
    });
}

QString ServerInfoTitle(std::string_view nick)
{
    return FromCp949(nick) + QStringLiteral(" 서버 정보");
}

} // namespace velkan::search
