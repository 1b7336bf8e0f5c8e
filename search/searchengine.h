#pragma once

#include "search/addressbook.h"
#include "search/appserverendpoint.h"
#include "channel/appserverprotocol.h"
#include "channel/blowfish.h"
#include "search/connectionbudget.h"
#include "search/connectionlimits.h"
#include "search/findreplyhandler.h"
#include "search/outcomerecorder.h"
#include "search/peerconnection.h"
#include "search/serverindex.h"
#include "search/serverinfoquery.h"
#include "search/serverlistfetch.h"
#include "search/startupconfig.h"

#include <QObject>

#include <array>
#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace velkan::search {

class FanOutTimer;
class ImageIndexProvider;
class ResultModel;
class SearchView;
class TickSource;

// What the engine is given from outside; only the view, the model and the images are required.
struct SearchSeams {
    AppServerEndpoint appServer;
    TickSource* ticks = nullptr;     // the steady clock when not given
    FanOutTimer* timer = nullptr;    // a 30 ms Qt timer when not given
    HostResolver* resolver = nullptr; // the system's when not given
    ConnectionLimits limits;
    // Where one process runs many panels: the input budget this panel's is a share of, and the
    // peer connections they may hold open between them. Each panel for itself when not given.
    std::shared_ptr<InputBudget> wholeInputBudget;
    std::shared_ptr<ConnectionBudget> connectionBudget;
};

// The search panel's state and everything a search does: start-up configuration, the server
// list fetch, the fan-out to sharing servers and the handling of their replies. It lives on
// the panel's thread and reaches the screen only through SearchView and ResultModel.
class SearchEngine : public QObject {
    Q_OBJECT

public:
    static constexpr int kPeerSlots = 500;
    static constexpr int kFanOutIntervalMs = 30;
    static constexpr std::uint32_t kListReuseMs = 60000;
    // The most items of received replies listed in one turn of the event loop: a reply of ten
    // thousand items goes in over ten turns, none of which holds the loop for long.
    static constexpr std::size_t kItemsPerTurn = 1000;

    SearchEngine(SearchView& view, ResultModel& model, ImageIndexProvider& images,
                 SearchSeams seams = {}, QObject* parent = nullptr);
    // Closes every connection, abandons every host lookup and waits for a running fetch, which
    // is woken at once.
    ~SearchEngine() override;

    // The start-up configuration from the control's properties; starts the stored search.
    void Configure(const StartupProperties& properties);

    // texts in CP949
    void StartSearch(std::string_view text);
    // The stop button and the host's StopSearch.
    void OnCancel();
    // The download button and a double click: the host's Connect event for the selected row.
    void ConnectToSelected();
    // A mouse click in the results list: the buttons follow the clicked row.
    void OnResultClick();
    // Asks the server of the model's row for its statistics: the query, started, hands back
    // the figures or why none came. Empty (no-such-row) when the row or its server is not
    // there. The caller owns the query; letting it go ends the conversation.
    [[nodiscard]] std::unique_ptr<ServerInfoQuery> QueryServerInfo(int row);

    [[nodiscard]] const channel::ServerEntry* FindServerEntry(std::string_view nick) const;
    [[nodiscard]] channel::BlowFish& Cipher() { return m_cipher; }
    // What a server-information query of this panel connects with: the panel's input budget,
    // resolver and time-outs.
    [[nodiscard]] ServerInfoQuerySettings ServerInfoSettings() const;

    // State, for the panel and for tests.
    [[nodiscard]] const StartupConfig& Config() const { return m_config; }
    [[nodiscard]] const std::vector<channel::ServerEntry>& ServerList() const { return m_serverList; }
    [[nodiscard]] const std::string& SearchText() const { return m_searchText; }
    [[nodiscard]] const std::string& FindRequestText() const { return m_findRequest; }
    [[nodiscard]] bool IsFetching() const { return m_worker != nullptr; }
    [[nodiscard]] bool IsFanningOut() const;
    [[nodiscard]] int OpenPeerConnections() const;
    // Find replies received and not yet wholly listed.
    [[nodiscard]] std::size_t PendingReplies() const { return m_pending.size(); }
    // The bytes of those replies, held until they are listed.
    [[nodiscard]] std::size_t WaitingReplyBytes() const { return m_pendingBytes; }
    [[nodiscard]] int FoundCount() const { return m_foundCount; }
    [[nodiscard]] int ContactedCount() const { return m_contactedCount; }
    // Slots the current fan-out may use: 500, or fewer when descriptors are short.
    [[nodiscard]] int PeerSlotCount() const { return m_slotCount; }
    [[nodiscard]] const InputBudget& Budget() const { return *m_budget; }
    // What became of each server the current search contacted, in the order contacted; those
    // still connected are "still-open", with their figures so far.
    [[nodiscard]] std::vector<ServerOutcome> Outcomes() const;
    // The counts of Outcomes().
    [[nodiscard]] OutcomeCounts OutcomeCountsNow() const;
    // The fetch behind the current search's list.
    [[nodiscard]] const FetchOutcome& Fetch() const { return m_outcomes.Fetch(); }

    // The engine's side of the fan-out tick, public so that a hand-driven timer can reach it.
    void OnTimer();

signals:
    // A fetch ended; ok is false when it failed. For hosts that wait for a search to finish.
    void serverListFetched(bool ok);
    // Nothing is left to wait for: the fetch failed, the list is used up and its last
    // connection closed, or the user stopped a search that was not fetching; and every reply
    // received is listed.
    void searchIdle();
    // The outcome of one server the search contacted was settled.
    void outcomeSettled(const velkan::search::ServerOutcome& outcome);
    // A fetch of the server list ended, well or not; Fetch() tells how.
    void fetchSettled();

private:
    struct PeerSlot {
        std::unique_ptr<PeerConnection> connection;
        ConnectionBudget::Lease lease; // held while the connection is open, when places are shared
        std::string nick;
        int outcome = -1; // the server's record while its connection is open
        // Replies of this connection waiting to be listed: the slot is not taken again, and
        // its outcome not settled, before they are.
        int pendingReplies = 0;
        // How and when the connection ended while replies of it were waiting.
        std::optional<ConnectionEnd> endedWith;
        std::chrono::steady_clock::time_point endedAt;
    };

    // A received find reply and how far its listing has come.
    struct PendingReply {
        int slot = 0;
        std::string line;
        ReplyProgress progress;
    };

    void OnListDone(ServerListFetch::Result result);
    void StartFanOut();
    void ClosePeers();
    [[nodiscard]] PeerSlot* FreeSlot();
    void OnPeerConnected(int slot);
    void OnPeerClosed(int slot, ConnectionEnd why);
    void Settle(PeerSlot& peer, ConnectionEnd why,
                std::chrono::steady_clock::time_point closedAt = std::chrono::steady_clock::now());
    // The connection is closed; its outcome is settled now, or once its replies are listed.
    void Ended(PeerSlot& peer, ConnectionEnd why);
    void OnFindReply(int slot, std::string line);
    // One turn: lists up to kItemsPerTurn items of the waiting replies, oldest first, and
    // posts a turn for the rest. False when none was waiting.
    bool ListPendingReplies();
    // A posted turn.
    void customEvent(QEvent* event) override;
    void FinishReply(const PendingReply& reply);
    // A new search: what the earlier one received and has not listed goes unlisted.
    void DiscardPendingReplies();
    void PushTexts();
    void CheckIdle();
    [[nodiscard]] std::int32_t NextRequestNumber();
    [[nodiscard]] bool IsOperator() const;

    SearchView& m_view;
    ResultModel& m_model;
    ImageIndexProvider& m_images;
    AppServerEndpoint m_appServer;
    std::unique_ptr<TickSource> m_ownTicks;
    TickSource* m_ticks;
    std::unique_ptr<FanOutTimer> m_ownTimer;
    FanOutTimer* m_timer;
    std::unique_ptr<HostResolver> m_ownResolver;
    HostResolver* m_resolver;
    const ConnectionLimits m_limits;
    // Before the connections and the fetch that hold shares of it.
    const std::shared_ptr<InputBudget> m_budget;
    const std::shared_ptr<ConnectionBudget> m_connectionBudget;

    channel::BlowFish m_cipher;
    StartupConfig m_config;
    std::unique_ptr<ServerListFetch> m_worker;
    AddressBook m_addresses; // the current search's; before the connections that use it
    std::array<PeerSlot, kPeerSlots> m_peers;
    int m_slotCount = kPeerSlots;
    std::vector<channel::ServerEntry> m_serverList;
    ServerIndex m_serverIndex; // rebuilt wherever m_serverList changes
    std::size_t m_nextServer = 0; // index of the entry to contact next
    std::uint32_t m_listFetchTick = 0;
    std::string m_searchText;
    std::string m_findRequest;
    std::shared_ptr<const std::string> m_findLine; // on the wire, shared by every slot
    int m_foundCount = 0;
    int m_contactedCount = 0;
    QString m_progressText;
    QString m_foundText;
    FindReplyHandler m_replies;
    std::deque<PendingReply> m_pending;
    std::size_t m_pendingBytes = 0;
    bool m_turnPosted = false;
    OutcomeRecorder m_outcomes;
    std::minstd_rand m_random;
};

} // namespace velkan::search
