// What the engine records of each server a search contacts, and of the fetch of its list,
// against a local network whose peers misbehave in every way the outcomes tell apart.

#include "tests/search/enginefixture.h"
#include "tools/velkan-localnet/socketutil.h"

#include <QLoggingCategory>

#include <cerrno>
#include <map>

using namespace velkan;
using namespace std::chrono_literals;
using search::Outcome;
using search::SearchEngine;
using search::ServerOutcome;
using test::File;
using test::kWaitMs;
using localnet::PeerBehaviour;

namespace {

class SearchOutcomeTest : public test::SearchEngineTest {
protected:
    // One peer of the kind, named after it, sharing one matching file.
    void AddKind(PeerBehaviour behaviour, const localnet::HostileTuning& tuning = {})
    {
        const std::string nick(localnet::BehaviourName(behaviour));
        m_ports[nick] = m_network.AddPeer(
            {.nick = nick, .behaviour = behaviour, .files = {File("C:\\b\\x.txt")}, .tuning = tuning});
    }

    // Runs the search to its end and checks that every server contacted has exactly one
    // outcome, that the counts agree with them, and that settled figures are whole.
    std::map<std::string, ServerOutcome> SearchAll()
    {
        SearchEngine& engine = Engine();
        std::vector<std::string> settled;
        QObject::connect(&engine, &SearchEngine::outcomeSettled,
                         [&settled](const ServerOutcome& outcome) { settled.push_back(outcome.nick); });
        engine.StartSearch("x");
        EXPECT_TRUE(RunFanOut());
        const std::vector<ServerOutcome> outcomes = engine.Outcomes();
        EXPECT_EQ(static_cast<int>(outcomes.size()), engine.ContactedCount());
        EXPECT_EQ(settled.size(), outcomes.size());
        search::OutcomeCounts counted{};
        std::map<std::string, ServerOutcome> byNick;
        for (const ServerOutcome& outcome : outcomes) {
            ++counted[static_cast<std::size_t>(outcome.outcome)];
            EXPECT_GE(outcome.closeMs, 0) << outcome.nick;
            EXPECT_TRUE(byNick.emplace(outcome.nick, outcome).second) << outcome.nick;
        }
        EXPECT_EQ(engine.OutcomeCountsNow(), counted);
        return byNick;
    }

    // The fetch's outcome of a search against the application server at port.
    search::FetchOutcome FetchFrom(std::uint16_t port, int replyTimeoutMs = 10000)
    {
        SearchEngine engine(m_view, m_model, m_images,
                            search::SearchSeams{.appServer = {"127.0.0.1", port, replyTimeoutMs},
                                                .ticks = &m_ticks, .timer = &m_timer});
        QSignalSpy settled(&engine, &SearchEngine::fetchSettled);
        engine.StartSearch("x");
        EXPECT_TRUE(settled.wait(kWaitMs));
        return engine.Fetch();
    }

    std::map<std::string, std::uint16_t> m_ports;
};

// Each kind of peer gets the one outcome that first applies to it, whatever else happens to
// its connection afterwards.
TEST_F(SearchOutcomeTest, EveryKindOfPeerGetsItsOutcome)
{
    struct Case {
        PeerBehaviour behaviour;
        Outcome outcome;
        int error; // the errno recorded, or 0
    };
    const Case cases[] = {
        {PeerBehaviour::Normal, Outcome::Answered, 0},
        {PeerBehaviour::Slow, Outcome::Answered, 0},
        {PeerBehaviour::Refuse, Outcome::Refused, ECONNREFUSED},
        {PeerBehaviour::Blackhole, Outcome::ConnectTimeout, 0},
        {PeerBehaviour::Endless, Outcome::TooMuchInput, 0},
        {PeerBehaviour::Silent, Outcome::Silent, 0},
        // Stops short of its cap and holds the line: the idle time closes it.
        {PeerBehaviour::Trickle, Outcome::Silent, 0},
        // Half an answer, no complete line, then the reset.
        {PeerBehaviour::Reset, Outcome::Reset, ECONNRESET},
        {PeerBehaviour::Garbage, Outcome::NotUnderstood, 0},
        {PeerBehaviour::Hangup, Outcome::NoReply, 0},
    };
    m_limits.connectTimeout = 300ms;
    m_limits.peerIdle = 400ms;
    localnet::HostileTuning tuning;
    tuning.slowInterval = 5ms;
    tuning.trickleCap = 60000;
    tuning.trickleBytesPerWrite = 20000;
    tuning.trickleInterval = 20ms;
    for (const Case& c : cases) {
        AddKind(c.behaviour, tuning);
    }
    const std::map<std::string, ServerOutcome> outcomes = SearchAll();
    ASSERT_EQ(outcomes.size(), std::size(cases));
    int rows = 0;
    for (const Case& c : cases) {
        const std::string nick(localnet::BehaviourName(c.behaviour));
        SCOPED_TRACE(nick);
        const ServerOutcome& outcome = outcomes.at(nick);
        EXPECT_EQ(search::OutcomeName(outcome.outcome), search::OutcomeName(c.outcome));
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(outcome.port, m_ports.at(nick));
        const bool answered = c.outcome == Outcome::Answered;
        EXPECT_EQ(outcome.findLines, answered ? 1 : 0);
        EXPECT_EQ(outcome.items.items, answered ? 1 : 0);
        const bool connected = c.outcome != Outcome::Refused && c.outcome != Outcome::ConnectTimeout;
        EXPECT_EQ(outcome.bytesSent > 0, connected);
        const bool sent = connected && c.behaviour != PeerBehaviour::Silent &&
                          c.behaviour != PeerBehaviour::Hangup;
        EXPECT_EQ(outcome.bytesReceived > 0, sent);
        EXPECT_EQ(outcome.firstByteMs >= 0, sent);
        EXPECT_LE(outcome.firstByteMs, outcome.closeMs);
        rows += outcome.items.rows;
    }
    EXPECT_EQ(rows, m_model.rowCount());
    EXPECT_EQ(rows, 4); // a folder row and a file row from each peer that answered
}

// With a small budget the endless line outgrows the panel's budget before its own cap.
TEST_F(SearchOutcomeTest, AnEndlessLineBeyondASmallBudgetIsOverBudget)
{
    m_limits.inputBudgetBytes = 1 << 20;
    AddKind(PeerBehaviour::Endless);
    AddKind(PeerBehaviour::Normal);
    const std::map<std::string, ServerOutcome> outcomes = SearchAll();
    EXPECT_EQ(outcomes.at("endless").outcome, Outcome::OverBudget);
    EXPECT_EQ(outcomes.at("normal").outcome, Outcome::Answered);
}

// A server whose items find the list full still answered; its items are counted as dropped.
TEST_F(SearchOutcomeTest, AServerAfterTheRowBoundIsAnsweredWithItsItemsDropped)
{
    m_model.SetRowLimit(2);
    AddPeer("kim", {File("C:\\a\\x.txt")});
    AddPeer("lee", {File("C:\\b\\x.txt")});
    const std::map<std::string, ServerOutcome> outcomes = SearchAll();
    int dropped = 0;
    for (const auto& [nick, outcome] : outcomes) {
        EXPECT_EQ(outcome.outcome, Outcome::Answered) << nick;
        dropped += outcome.items.rowLimit;
    }
    EXPECT_EQ(dropped, 1);
    EXPECT_EQ(m_model.rowCount(), 2);
}

// Stopping leaves the silent peers' connections still open at the stop; the one that
// answered stays answered.
TEST_F(SearchOutcomeTest, AStoppedSearchListsItsSilentPeersAsStillOpen)
{
    AddKind(PeerBehaviour::Normal);
    AddPeer("mute1", {}, PeerBehaviour::Silent);
    AddPeer("mute2", {}, PeerBehaviour::Silent);
    SearchEngine& engine = Engine();
    engine.StartSearch("x");
    ASSERT_TRUE(test::SearchEngineTest::WaitForFanOut());
    m_timer.Tick(3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_model.rowCount() == 2; }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_network.OpenPeerConnections() == 2; }, kWaitMs));
    search::OutcomeCounts before{};
    before[static_cast<std::size_t>(Outcome::Answered)] = 1;
    before[static_cast<std::size_t>(Outcome::StillOpen)] = 2;
    EXPECT_EQ(engine.OutcomeCountsNow(), before);
    engine.OnCancel();
    const std::vector<ServerOutcome> outcomes = engine.Outcomes();
    ASSERT_EQ(outcomes.size(), 3U);
    for (const ServerOutcome& outcome : outcomes) {
        EXPECT_EQ(outcome.outcome, outcome.nick == "normal" ? Outcome::Answered : Outcome::StillOpen)
            << outcome.nick;
        EXPECT_GE(outcome.closeMs, 0);
    }
    EXPECT_EQ(engine.OutcomeCountsNow(), before);
    EXPECT_EQ(search::OutcomeTallyText(before), "3 servers: 1 answered, 2 still-open");
}

TEST_F(SearchOutcomeTest, TheFetchOfAnApplicationServerThatIsDown)
{
    const localnet::FileDescriptor unused = localnet::OpenLoopbackSocket(0, false);
    const search::FetchOutcome fetch = FetchFrom(localnet::LocalPort(unused.Get()));
    EXPECT_EQ(fetch.state, search::FetchOutcome::State::Failed);
    EXPECT_EQ(search::FetchOutcomeName(fetch), "refused");
    EXPECT_FALSE(fetch.figures.connected);
    EXPECT_EQ(fetch.figures.error, ECONNREFUSED);
}

// Failed fetches of a server that answers nothing: their outcome names why.
TEST_F(SearchOutcomeTest, TheFetchOfAnApplicationServerThatSendsNoLine)
{
    struct Case {
        void (localnet::Network::*serve)();
        std::string_view outcome;
    };
    const Case cases[] = {
        {&localnet::Network::ServeSilence, "silent"},
        {&localnet::Network::ServeCloseWithoutAnswer, "no-reply"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outcome);
        localnet::Network network;
        (network.*c.serve)();
        network.Start();
        const search::FetchOutcome fetch = FetchFrom(network.AppServerPort(), 300);
        EXPECT_EQ(fetch.state, search::FetchOutcome::State::Failed);
        EXPECT_EQ(search::FetchOutcomeName(fetch), c.outcome);
        EXPECT_TRUE(fetch.figures.connected);
        EXPECT_EQ(fetch.figures.lines, 0);
    }
}

// A list whose entries are left out is still a list: the fetch says why each was dropped.
TEST_F(SearchOutcomeTest, TheFetchOfAListWithDroppedEntries)
{
    const std::string longHost(52, 'h');
    m_network.ServeScript({.pieces = {"\r\nkim,127.0.0.1,1,2|bad,1|far," + longHost +
                                      ",1,2|hid,127.0.0.1,1,2,2\r\n"}});
    m_network.Start();
    const search::FetchOutcome fetch = FetchFrom(m_network.AppServerPort());
    EXPECT_EQ(fetch.state, search::FetchOutcome::State::Listed);
    EXPECT_EQ(search::FetchOutcomeName(fetch), "listed");
    EXPECT_EQ(fetch.figures.lines, 2); // the empty line before the list
    EXPECT_EQ(fetch.figures.entries.entries, 4);
    EXPECT_EQ(fetch.figures.entries.kept, 1);
    EXPECT_EQ(fetch.figures.entries.malformed, 1);
    EXPECT_EQ(fetch.figures.entries.hostTooLong, 1);
    EXPECT_EQ(fetch.figures.entries.hidden, 1);
    EXPECT_GT(fetch.figures.bytesReceived, 0);
}

std::vector<std::string> g_logged;

void KeepSearchLog(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    if (std::string_view(context.category) == "velkan.search") {
        g_logged.push_back(message.toStdString());
    }
}

// Off by default; switched on, one line for the fetch and one for each server.
TEST_F(SearchOutcomeTest, TheSearchLogHasALineForEachOutcome)
{
    AddKind(PeerBehaviour::Normal);
    AddKind(PeerBehaviour::Refuse);
    g_logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(KeepSearchLog);
    for (const bool on : {false, true}) {
        SCOPED_TRACE(on);
        QLoggingCategory::setFilterRules(on ? QStringLiteral("velkan.search.info=true") : QString());
        m_ticks.now += SearchEngine::kListReuseMs; // a fetch for each search
        Engine().StartSearch("x");
        EXPECT_TRUE(RunFanOut());
        std::sort(g_logged.begin(), g_logged.end());
        if (!on) {
            EXPECT_TRUE(g_logged.empty());
            continue;
        }
        ASSERT_EQ(g_logged.size(), 3U);
        EXPECT_TRUE(g_logged[0].starts_with("server list listed ")) << g_logged[0];
        EXPECT_TRUE(g_logged[1].starts_with("server normal 127.0.0.1:" + std::to_string(m_ports.at("normal")) +
                                            " answered end=closed-by-peer "))
            << g_logged[1];
        EXPECT_TRUE(g_logged[1].ends_with(" address=127.0.0.1")) << g_logged[1];
        EXPECT_TRUE(g_logged[2].starts_with("server refuse ")) << g_logged[2];
        EXPECT_TRUE(g_logged[2].ends_with(" error=\"Connection refused\"")) << g_logged[2];
    }
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);
}

TEST(OutcomeTally, NamesEachOutcomeThatOccurredInOrder)
{
    struct Case {
        std::vector<std::pair<Outcome, int>> counts;
        std::string text;
    };
    const Case cases[] = {
        {{}, "0 servers"},
        {{{Outcome::Silent, 1}}, "1 server: 1 silent"},
        {{{Outcome::NotUnderstood, 2}, {Outcome::Answered, 97}, {Outcome::Reset, 3},
          {Outcome::Refused, 12}, {Outcome::Silent, 6}},
         "120 servers: 97 answered, 12 refused, 6 silent, 3 reset, 2 not-understood"},
    };
    for (const Case& c : cases) {
        search::OutcomeCounts counts{};
        for (const auto& [outcome, count] : c.counts) {
            counts[static_cast<std::size_t>(outcome)] = count;
        }
        EXPECT_EQ(search::OutcomeTallyText(counts), c.text);
    }
}

// Every figure of the lists reaches the log lines, with its own value; the lines themselves stay
// as a log reader knows them.
TEST(OutcomeFigures, EveryFigureIsLoggedWithItsValue)
{
    ServerOutcome outcome{.nick = "kim", .host = "127.0.0.1", .port = 7, .outcome = Outcome::Answered,
                          .end = search::ConnectionEnd::ClosedByPeer};
    std::int64_t next = 11;
    std::vector<std::string> expected;
#define VELKAN_SET_FIGURE(name, path, kind, title)                                                 \
    outcome.path name = static_cast<decltype(outcome.path name)>(next);                            \
    expected.push_back(" " #name "=" + std::to_string(next++));
    VELKAN_SERVER_OUTCOME_FIGURES(VELKAN_SET_FIGURE)
#undef VELKAN_SET_FIGURE
    const std::string line = search::DescribeOutcome(outcome);
    for (const std::string& figure : expected) {
        EXPECT_NE(line.find(figure), std::string::npos) << figure << " in " << line;
    }
    EXPECT_EQ(line, "server kim 127.0.0.1:7 answered end=closed-by-peer findLines=11 otherLines=12 items=13 "
                    "rows=14 adult=15 strictBanWords=16 personFolder=17 banWords=18 rowLimit=19 bytesSent=20 "
                    "bytesReceived=21 firstByteMs=22 closeMs=23");
    EXPECT_EQ(outcome.items.Dropped(), 15 + 16 + 17 + 18 + 19);

    search::FetchOutcome fetch{.state = search::FetchOutcome::State::Listed, .reused = true};
    fetch.figures.connected = true;
    fetch.figures.lines = 2;
    fetch.figures.bytesReceived = 3;
    fetch.figures.entries = {.entries = 4, .kept = 5, .malformed = 6, .badPort = 12, .hostTooLong = 7,
                             .hidden = 8, .hiddenByOption = 9};
    fetch.figures.elapsedMs = 10;
    EXPECT_EQ(search::DescribeFetch(fetch), "server list listed reused=1 connected=1 lines=2 bytesReceived=3 "
                                            "entries=4 kept=5 malformed=6 badPort=12 hostTooLong=7 hidden=8 "
                                            "hiddenByOption=9 elapsedMs=10");
}

TEST(OutcomeFigures, TalliesAddUpEveryFigure)
{
    search::ReplyTally sum{.items = 1, .listed = 1, .rows = 2, .adult = 1};
    sum += {.items = 5, .listed = 2, .rows = 3, .strictBanWords = 1, .personFolder = 1, .banWords = 1, .rowLimit = 1};
    EXPECT_EQ((std::vector<int>{sum.items, sum.listed, sum.rows, sum.adult, sum.strictBanWords, sum.personFolder,
                                sum.banWords, sum.rowLimit}),
              (std::vector<int>{6, 3, 5, 1, 1, 1, 1, 1}));
    EXPECT_EQ(sum.Dropped(), 5);
}

} // namespace
