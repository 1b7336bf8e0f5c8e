#include "serverinfoquery.h"

#include "cp949convert.h"
#include "decimal.h"
#include "peerprotocol.h"
#include "resulttexts.h"

#include <cmath>

namespace velkan::search {

namespace {

QString FromCp949(std::string_view text)
{
    return QString::fromStdString(cp949::ToUtf8(text));
}

} // namespace

ServerInfoQuery::ServerInfoQuery(channel::BlowFish& cipher, std::string host, int port,
                                 ServerInfoQuerySettings settings, QObject* parent)
    : QObject(parent), m_cipher(cipher), m_host(std::move(host)), m_port(port),
      m_addresses(settings.resolver ? *settings.resolver : m_systemResolver),
      m_connection(
          PeerConnection::Callbacks{
              .connected =
                  [this] { m_connection.SendRequest(m_cipher, channel::kServerInfoRequest); },
              .connectFailed = [this](ConnectionEnd why) { emit ended(why); },
              .lineReceived = [this](const std::string& line) { OnLine(line); },
              .closed = [this](ConnectionEnd why) { emit ended(why); },
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
    switch (m_connection.Open(m_host, m_port, true)) {
    case PeerConnection::OpenResult::Connecting:
        break;
    case PeerConnection::OpenResult::ConnectFailed:
        emit ended(ConnectionEnd::Refused);
        break;
    case PeerConnection::OpenResult::NoDescriptors:
    case PeerConnection::OpenResult::SocketFailed:
        emit ended(ConnectionEnd::NoSocket);
        break;
    }
}

void ServerInfoQuery::OnLine(const std::string& line)
{
    const std::optional<channel::ServerInfo> info = channel::ParseServerInfoReply(line);
    if (!info) {
        return;
    }
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
