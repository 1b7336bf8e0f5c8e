#pragma once

#include "channel/appserverprotocol.h"
#include "search/fetchoutcome.h"
#include "search/serveroutcome.h"

#include <chrono>
#include <vector>

namespace velkan::search {

class PeerConnection;

// The outcomes of the current search: one record per server contacted, opened as the connect
// starts and settled once when its connection ends, and the fetch behind the search's list.
// Settling logs under the category "velkan.search" at info level.
class OutcomeRecorder {
public:
    // Forgets the servers of the search before; the fetch stays until a new one starts.
    void Begin();
    // A server whose connect starts now; returns its record's index.
    int Open(const channel::ServerEntry& server);
    void FindLine(int index, const ReplyTally& items)
    {
        ServerOutcome& outcome = m_outcomes[static_cast<std::size_t>(index)];
        ++outcome.findLines;
        outcome.items += items;
    }
    void OtherLine(int index) { ++m_outcomes[static_cast<std::size_t>(index)].otherLines; }
    // The server's connection ended for end at closedAt: its outcome is decided, its figures
    // are taken from connection.
    const ServerOutcome& Settle(int index, ConnectionEnd end, const PeerConnection& connection,
                                std::chrono::steady_clock::time_point closedAt);

    // Every server contacted, in the order contacted; those not settled yet are "still-open"
    // with the figures they had when opened.
    [[nodiscard]] const std::vector<ServerOutcome>& Outcomes() const { return m_outcomes; }
    // The counts of the settled outcomes.
    [[nodiscard]] const OutcomeCounts& SettledCounts() const { return m_settled; }
    // The outcome of a server not settled yet, were its connection closed now.
    [[nodiscard]] static Outcome SoFar(const ServerOutcome& open)
    {
        return DecideOutcome(ConnectionEnd::ClosedByUs, open.findLines, open.otherLines);
    }

    // A fetch starts: the list is being asked for again.
    void FetchStarted() { m_fetch = {}; }
    // The search uses the list of the last fetch.
    void ListReused() { m_fetch.reused = true; }
    void FetchEnded(bool ok, ConnectionEnd end, const FetchFigures& figures);
    [[nodiscard]] const FetchOutcome& Fetch() const { return m_fetch; }

    // Bytes and times of a server's connection as they stand.
    static void TakeFigures(ServerOutcome& outcome, const PeerConnection& connection);

private:
    std::vector<ServerOutcome> m_outcomes;
    OutcomeCounts m_settled{};
    FetchOutcome m_fetch;
};

} // namespace velkan::search
