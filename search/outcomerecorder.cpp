#include "search/outcomerecorder.h"

#include "search/ipv4address.h"
#include "search/peerconnection.h"

#include <QLoggingCategory>

namespace velkan::search {

namespace {

Q_LOGGING_CATEGORY(lcSearch, "velkan.search", QtWarningMsg)

std::int32_t MillisecondsBetween(std::chrono::steady_clock::time_point from,
                                 std::chrono::steady_clock::time_point to)
{
    return static_cast<std::int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
}

} // namespace

void OutcomeRecorder::Begin()
{
    m_outcomes.clear();
    m_settled = {};
}

int OutcomeRecorder::Open(const channel::ServerEntry& server)
{
    ServerOutcome& outcome = m_outcomes.emplace_back();
    outcome.nick = server.nick;
    outcome.host = server.host;
    outcome.port = server.port;
    return static_cast<int>(m_outcomes.size() - 1);
}

void OutcomeRecorder::TakeFigures(ServerOutcome& outcome, const PeerConnection& connection)
{
    if (connection.Address()) {
        outcome.address = AddressText(*connection.Address());
    }
    outcome.bytesSent = static_cast<std::uint32_t>(connection.BytesSent());
    outcome.bytesReceived = static_cast<std::uint32_t>(connection.BytesReceived());
    if (connection.FirstInputAt() != std::chrono::steady_clock::time_point{}) {
        outcome.firstByteMs = MillisecondsBetween(connection.OpenedAt(), connection.FirstInputAt());
    }
}

const ServerOutcome& OutcomeRecorder::Settle(int index, ConnectionEnd end, const PeerConnection& connection,
                                             std::chrono::steady_clock::time_point closedAt)
{
    ServerOutcome& outcome = m_outcomes[static_cast<std::size_t>(index)];
    TakeFigures(outcome, connection);
    outcome.closeMs = MillisecondsBetween(connection.OpenedAt(), closedAt);
    outcome.end = end;
    outcome.error = connection.LastError();
    outcome.outcome = DecideOutcome(end, outcome.findLines, outcome.otherLines);
    ++m_settled[static_cast<std::size_t>(outcome.outcome)];
    qCInfo(lcSearch).noquote() << QString::fromStdString(DescribeOutcome(outcome));
    return outcome;
}

void OutcomeRecorder::FetchEnded(bool ok, ConnectionEnd end, const FetchFigures& figures)
{
    m_fetch.state = ok ? FetchOutcome::State::Listed : FetchOutcome::State::Failed;
    m_fetch.end = end;
    m_fetch.figures = figures;
    qCInfo(lcSearch).noquote() << QString::fromStdString(DescribeFetch(m_fetch));
}

} // namespace velkan::search
