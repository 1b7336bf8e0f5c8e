#include "search/searchengine.h"

#include "channel/base64codec.h"
#include "search/connectfolder.h"
#include "channel/cp949.h"
#include "channel/cp949convert.h"
#include "search/descriptorbudget.h"
#include "search/fanouttimer.h"
#include "search/imageindexprovider.h"
#include "channel/peerprotocol.h"
#include "search/resultmodel.h"
#include "search/resulttexts.h"
#include "search/searchview.h"
#include "channel/sendline.h"
#include "search/ticksource.h"
#include "channel/wirekey.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>

#include <optional>
#include <utility>

namespace velkan::search {

namespace {

// A turn of listing, posted to the engine itself.
const auto kListTurnEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

QString FoundText(int count)
{
    return QString::number(count) + QStringLiteral(" 개");
}

} // namespace

SearchEngine::SearchEngine(SearchView& view, ResultModel& model, ImageIndexProvider& images,
                           SearchSeams seams, QObject* parent)
    : QObject(parent), m_view(view), m_model(model), m_images(images),
      m_appServer(std::move(seams.appServer)),
      m_ownTicks(seams.ticks ? nullptr : std::make_unique<SteadyTickSource>()),
      m_ticks(seams.ticks ? seams.ticks : m_ownTicks.get()),
      m_ownTimer(seams.timer ? nullptr : std::make_unique<QtFanOutTimer>()),
      m_timer(seams.timer ? seams.timer : m_ownTimer.get()),
      m_ownResolver(seams.resolver ? nullptr : std::make_unique<SystemResolver>()),
      m_resolver(seams.resolver ? seams.resolver : m_ownResolver.get()), m_limits(seams.limits),
      m_budget(seams.wholeInputBudget
                   ? std::make_shared<InputBudget>(m_limits.inputBudgetBytes, std::move(seams.wholeInputBudget))
                   : std::make_shared<InputBudget>(m_limits.inputBudgetBytes)),
      m_connectionBudget(std::move(seams.connectionBudget)), m_addresses(*m_resolver),
      m_progressText(QStringLiteral("0%")),
      m_foundText(FoundText(0)), m_replies(m_config, m_model, m_images),
      m_random(std::random_device{}())
{
    [[maybe_unused]] const bool keyed = m_cipher.Initialize(channel::kWireKey);
    m_timer->SetCallback([this] { OnTimer(); });
    const PeerTimeouts timeouts{.connect = m_limits.connectTimeout,
                                .idle = m_limits.peerIdle,
                                .lifetime = m_limits.peerLifetime,
                                .lookup = m_limits.hostLookup};
    for (int slot = 0; slot < kPeerSlots; ++slot) {
        m_peers[slot].connection = std::make_unique<PeerConnection>(
            PeerConnection::Callbacks{
                .connected = [this, slot] { OnPeerConnected(slot); },
                .connectFailed = [this, slot](ConnectionEnd why) { OnPeerClosed(slot, why); },
                .lineReceived = [this, slot](std::string line) { OnFindReply(slot, std::move(line)); },
                .closed = [this, slot](ConnectionEnd why) { OnPeerClosed(slot, why); },
            },
            m_budget, timeouts, &m_addresses);
    }
}

SearchEngine::~SearchEngine()
{
    m_timer->Stop();
    m_timer->SetCallback([] {});
    // The panel is going: its hosts hear of no more outcomes.
    blockSignals(true);
    DiscardPendingReplies();
    ClosePeers();
    m_worker.reset(); // wakes the fetch and waits for it
}

void SearchEngine::Configure(const StartupProperties& properties)
{
    m_config = ParseStartupConfig(m_cipher, properties);
    if (m_config.identityLabel) {
        m_view.SetIdentityLabel(QString::fromLatin1(*m_config.identityLabel));
    }
    if (!properties.search.empty()) {
        StartSearch(properties.search);
    }
}

bool SearchEngine::IsOperator() const
{
    return m_config.userId == kOperatorUserId;
}

std::int32_t SearchEngine::NextRequestNumber()
{
    return static_cast<std::int32_t>(m_random() & 0x7FFF);
}

void SearchEngine::StartSearch(std::string_view text)
{
    const std::string listRequest = channel::ListRequest(NextRequestNumber());

    std::string prepared(cp949::Trim(text));
    const std::size_t caret = cp949::FindByte(prepared, '^');
    if (caret != cp949::npos && caret > 0) {
        prepared = cp949::ReplaceAll(prepared, " ", "");
    }

    m_timer->Stop();
    DiscardPendingReplies();
    ClosePeers();
    m_outcomes.Begin();
    m_model.Clear();
    m_searchText = std::move(prepared);

    // A fetch under way ends in OnListDone, which fans out with the newest search text.
    if (m_worker) {
        return;
    }
    const std::uint32_t now = m_ticks->Now();
    if (now - m_listFetchTick < kListReuseMs && !m_serverList.empty()) {
        m_outcomes.ListReused();
        StartFanOut();
        return;
    }
    m_outcomes.FetchStarted();
    m_listFetchTick = m_ticks->Now();
    m_serverList.clear();
    m_serverIndex.Rebuild(m_serverList);
    m_worker = std::make_unique<ServerListFetch>(
        m_appServer, listRequest, m_cipher, m_config.options,
        ServerListFetch::Settings{.budget = m_budget,
                                  .connectTimeout = m_limits.connectTimeout,
                                  .resolver = m_resolver,
                                  .lookupTimeout = m_limits.hostLookup},
        [this](ServerListFetch::Result result) {
            QMetaObject::invokeMethod(
                this, [this, result = std::move(result)]() mutable { OnListDone(std::move(result)); },
                Qt::QueuedConnection);
        });
}

void SearchEngine::OnListDone(ServerListFetch::Result result)
{
    m_worker.reset();
    m_outcomes.FetchEnded(result.ok, result.end, result.figures);
    emit fetchSettled();
    emit serverListFetched(result.ok);
    if (!result.ok) {
        emit searchIdle();
        return;
    }
    m_serverList = std::move(result.servers);
    m_serverIndex.Rebuild(m_serverList);
    StartFanOut();
}

void SearchEngine::StartFanOut()
{
    m_timer->Stop();
    m_contactedCount = 0;
    m_foundCount = 0;
    ClosePeers();
    m_findRequest = channel::FindRequest(NextRequestNumber(), m_searchText, m_config.userId);
    m_findLine = std::make_shared<const std::string>(channel::RequestLine(m_cipher, m_findRequest));
    m_progressText = QStringLiteral("0%");
    m_foundText = FoundText(0);
    m_view.SetProgressPosition(0);
    m_view.SetButtonEnabled(PanelButton::Download, false);
    m_view.SetButtonEnabled(PanelButton::Connect, false);
    if (IsOperator()) {
        m_view.SetButtonVisible(PanelButton::ServerInfo, true);
        m_view.SetButtonEnabled(PanelButton::ServerInfo, false);
    }
    m_view.SetButtonEnabled(PanelButton::Stop, true);
    m_nextServer = 0;
    m_slotCount = ConnectionsWithinDescriptorLimit(kPeerSlots);
    m_timer->Start(kFanOutIntervalMs);
}

void SearchEngine::OnTimer()
{
    if (m_nextServer >= m_serverList.size()) {
        m_view.SetButtonEnabled(PanelButton::Stop, false);
        m_timer->Stop();
        CheckIdle();
        return;
    }
    PeerSlot* free = FreeSlot();
    if (free == nullptr) {
        return; // every slot busy: the entry waits for a later tick
    }
    ConnectionBudget::Lease lease;
    if (m_connectionBudget && !(lease = m_connectionBudget->Take())) {
        return; // the process holds all the connections it may: the entry waits
    }
    const channel::ServerEntry& entry = m_serverList[m_nextServer];
    PeerConnection& connection = *free->connection;
    connection.ResetCounters();
    connection.SetStartTick(m_ticks->Now());
    // A host known not to resolve, or a connect refused on the spot, frees the slot at once; a
    // host name being looked up holds it.
    const PeerConnection::OpenResult opened = connection.Open(entry.host, entry.port, false);
    if (opened == PeerConnection::OpenResult::NoDescriptors) {
        return; // no descriptor to spare: the entry waits, as for a busy slot
    }
    free->lease = std::move(lease);
    free->outcome = m_outcomes.Open(entry);
    if (opened != PeerConnection::OpenResult::Connecting) {
        Ended(*free, opened == PeerConnection::OpenResult::SocketFailed ? ConnectionEnd::NoSocket
                                                                        : ConnectionEnd::Refused);
    }
    free->nick = entry.nick;
    ++m_nextServer;

    ++m_contactedCount;
    const auto percent = static_cast<int>(static_cast<double>(m_contactedCount) /
                                          static_cast<double>(m_serverList.size()) * 100.0);
    m_view.SetProgressPosition(percent);
    m_progressText = QString::number(percent) + QStringLiteral("%\n");
    PushTexts();
}

SearchEngine::PeerSlot* SearchEngine::FreeSlot()
{
    for (int slot = 0; slot < m_slotCount; ++slot) {
        if (!m_peers[slot].connection->IsOpen() && m_peers[slot].pendingReplies == 0) {
            return &m_peers[slot];
        }
    }
    return nullptr;
}

void SearchEngine::OnPeerConnected(int slot)
{
    m_peers[slot].connection->SendRequest(m_findLine);
}

void SearchEngine::OnPeerClosed(int slot, ConnectionEnd why)
{
    m_peers[slot].connection->Close();
    Ended(m_peers[slot], why);
    CheckIdle();
}

void SearchEngine::Ended(PeerSlot& peer, ConnectionEnd why)
{
    peer.lease = {};
    if (peer.pendingReplies == 0) {
        Settle(peer, why);
    } else if (!peer.endedWith) {
        peer.endedWith = why;
        peer.endedAt = std::chrono::steady_clock::now();
    }
}

void SearchEngine::Settle(PeerSlot& peer, ConnectionEnd why, std::chrono::steady_clock::time_point closedAt)
{
    peer.endedWith.reset();
    if (peer.outcome < 0) {
        return;
    }
    const int index = std::exchange(peer.outcome, -1);
    emit outcomeSettled(m_outcomes.Settle(index, why, *peer.connection, closedAt));
}

void SearchEngine::ClosePeers()
{
    for (PeerSlot& peer : m_peers) {
        peer.connection->Close();
        Ended(peer, ConnectionEnd::ClosedByUs);
    }
    m_addresses.Forget();
}

std::vector<ServerOutcome> SearchEngine::Outcomes() const
{
    std::vector<ServerOutcome> outcomes = m_outcomes.Outcomes();
    for (const PeerSlot& peer : m_peers) {
        if (peer.outcome >= 0) {
            ServerOutcome& open = outcomes[static_cast<std::size_t>(peer.outcome)];
            OutcomeRecorder::TakeFigures(open, *peer.connection);
            open.outcome = OutcomeRecorder::SoFar(open);
        }
    }
    return outcomes;
}

OutcomeCounts SearchEngine::OutcomeCountsNow() const
{
    OutcomeCounts counts = m_outcomes.SettledCounts();
    for (const PeerSlot& peer : m_peers) {
        if (peer.outcome >= 0) {
            ++counts[static_cast<std::size_t>(
                OutcomeRecorder::SoFar(m_outcomes.Outcomes()[static_cast<std::size_t>(peer.outcome)]))];
        }
    }
    return counts;
}

bool SearchEngine::IsFanningOut() const
{
    return m_timer->IsActive();
}

int SearchEngine::OpenPeerConnections() const
{
    int open = 0;
    for (const PeerSlot& peer : m_peers) {
        open += peer.connection->IsOpen() ? 1 : 0;
    }
    return open;
}

void SearchEngine::CheckIdle()
{
    if (!m_worker && !m_timer->IsActive() && OpenPeerConnections() == 0 && m_pending.empty()) {
        emit searchIdle();
    }
}

void SearchEngine::OnCancel()
{
    m_view.SetButtonEnabled(PanelButton::Stop, false);
    m_timer->Stop();
    ClosePeers();
    CheckIdle();
}

void SearchEngine::PushTexts()
{
    m_view.ShowProgressTexts(m_progressText, m_foundText);
}

ServerInfoQuerySettings SearchEngine::ServerInfoSettings() const
{
    // A window may outlive its panel: it takes the resolver it was given from outside, and
    // otherwise one of its own rather than the panel's.
    return {.budget = m_budget,
            .connectTimeout = m_limits.connectTimeout,
            .resolver = m_ownResolver ? nullptr : m_resolver,
            .lookupTimeout = m_limits.hostLookup};
}

const channel::ServerEntry* SearchEngine::FindServerEntry(std::string_view nick) const
{
    return m_serverIndex.Find(nick);
}

void SearchEngine::OnFindReply(int slot, std::string line)
{
    PeerSlot& peer = m_peers[slot];
    const std::optional<std::size_t> itemsStart = channel::FoundItemsStart(line);
    if (!itemsStart) {
        if (peer.outcome >= 0) {
            m_outcomes.OtherLine(peer.outcome);
        }
        return;
    }
    m_pendingBytes += line.size();
    m_pending.push_back({.slot = slot, .line = std::move(line), .progress = {.next = *itemsStart}});
    ++peer.pendingReplies;
    // A reply behind others waits for its turn; otherwise its first part goes in at once.
    if (m_pending.size() == 1) {
        ListPendingReplies();
    }
    while (m_pendingBytes > m_limits.waitingReplyBytes && ListPendingReplies()) {
    }
}

bool SearchEngine::ListPendingReplies()
{
    if (m_pending.empty()) {
        return false;
    }
    std::size_t budget = kItemsPerTurn;
    while (!m_pending.empty() && budget > 0) {
        PendingReply& reply = m_pending.front();
        const PeerSlot& peer = m_peers[reply.slot];
        const int itemsBefore = reply.progress.tally.items;
        m_replies.HandlePart(reply.line, peer.nick, FindServerEntry(peer.nick), m_foundCount, reply.progress, budget);
        // An empty reply counts as one item, so a crowd of them is spread over turns too.
        budget -= std::min(budget, static_cast<std::size_t>(std::max(reply.progress.tally.items - itemsBefore, 1)));
        if (!reply.progress.done) {
            break;
        }
        const PendingReply finished = std::move(reply);
        m_pending.pop_front();
        m_pendingBytes -= finished.line.size();
        FinishReply(finished);
    }
    m_foundText = FoundText(m_foundCount);
    PushTexts();
    if (!m_pending.empty() && !m_turnPosted) {
        m_turnPosted = true;
        // Low priority: what the list asked for while this part went in (its layout, its
        // repaint) goes before the next part, each in a handler of its own.
        QCoreApplication::postEvent(this, new QEvent(kListTurnEvent), Qt::LowEventPriority);
    }
    return true;
}

void SearchEngine::customEvent(QEvent* event)
{
    if (event->type() != kListTurnEvent) {
        QObject::customEvent(event);
        return;
    }
    m_turnPosted = false;
    // Once the last reply is listed the search may be at rest. A turn within a connection's own
    // handler leaves that to the connection's close.
    if (ListPendingReplies() && m_pending.empty()) {
        CheckIdle();
    }
}

void SearchEngine::FinishReply(const PendingReply& reply)
{
    PeerSlot& peer = m_peers[reply.slot];
    --peer.pendingReplies;
    if (peer.outcome >= 0) {
        m_outcomes.FindLine(peer.outcome, reply.progress.tally);
    }
    if (peer.pendingReplies == 0 && peer.endedWith) {
        Settle(peer, *peer.endedWith, peer.endedAt);
    }
}

void SearchEngine::DiscardPendingReplies()
{
    m_pending.clear();
    m_pendingBytes = 0;
    for (PeerSlot& peer : m_peers) {
        peer.pendingReplies = 0;
        if (peer.endedWith) {
            Settle(peer, *peer.endedWith, peer.endedAt);
        }
    }
}

void SearchEngine::ConnectToSelected()
{
    const int row = m_view.SelectedRow();
    if (row < 0 || row >= m_model.rowCount()) {
        m_view.ShowMessage(QStringLiteral("파일을 선택하세요"));
        return;
    }
    const SearchResult& record = *m_model.Row(row).record;
    const std::string_view path = record.path();
    const std::optional<std::string_view> cut = ConnectFolder(path);
    const std::string folder = cut ? channel::Base64Codec::Encode(*cut) : std::string(path);
    m_view.FireConnect(std::string(record.nick()), folder);
}

void SearchEngine::OnResultClick()
{
    const int row = m_view.SelectedRow();
    if (row < 0 || row >= m_model.rowCount()) {
        return;
    }
    const bool starred = m_model.Row(row).record->nick().starts_with('*');
    m_view.SetButtonEnabled(PanelButton::Download, !starred);
    m_view.SetButtonEnabled(PanelButton::Connect, !starred);
    if (!starred && IsOperator()) {
        m_view.SetButtonEnabled(PanelButton::ServerInfo, true);
    }
}

std::unique_ptr<ServerInfoQuery> SearchEngine::QueryServerInfo(int row)
{
    if (row < 0 || row >= m_model.rowCount()) {
        return nullptr;
    }
    const channel::ServerEntry* entry = FindServerEntry(m_model.Row(row).record->nick());
    if (entry == nullptr) {
        return nullptr;
    }
    auto query = std::make_unique<ServerInfoQuery>(m_cipher, *entry, ServerInfoSettings());
    query->Start();
    return query;
}

} // namespace velkan::search
