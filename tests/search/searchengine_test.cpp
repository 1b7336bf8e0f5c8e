#include "channel/base64codec.h"
#include "channel/cp949convert.h"
#include "tests/search/enginefixture.h"
#include "tests/search/fakes.h"
#include "search/findreplyhandler.h"
#include "tools/velkan-localnet/replies.h"
#include "tools/velkan-localnet/sharegenerator.h"
#include "tools/velkan-localnet/network.h"
#include "channel/protectedtext.h"
#include "search/resultmodel.h"
#include "search/searchengine.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <set>
#include <tuple>
#include <sys/socket.h>
#include <unistd.h>

using namespace velkan;
using search::PanelButton;
using search::SearchEngine;

namespace {

using test::File;
using test::HostilePeersTest;
using test::SearchEngineTest;
using test::kWaitMs;

TEST_F(SearchEngineTest, SearchFindsRowsOfEveryPeer)
{
    const std::uint16_t kim = AddPeer("kim", {File("C:\\music\\a song.mp3", 2048), File("C:\\music\\b.txt")}, localnet::PeerBehaviour::Normal, 150);
    AddPeer("lee", {File("D:\\share\\song<1>.mp3", 10), File("D:\\x\\other.avi")});
    SearchEngine& engine = Engine();
    QSignalSpy idle(&engine, &SearchEngine::searchIdle);

    engine.StartSearch("  song ");
    ASSERT_TRUE(RunFanOut());
    EXPECT_EQ(Names(), (std::vector<std::string>{"kim:C:\\music", "kim:a song.mp3", "lee:D:\\share",
                                                 "lee:song<1>.mp3"}));
    EXPECT_EQ(engine.FoundCount(), 4);
    EXPECT_EQ(m_view.foundTexts.back(), QStringLiteral("4 개"));
    EXPECT_EQ(m_view.progressTexts.back(), QStringLiteral("100%\n"));
    EXPECT_FALSE(m_view.buttons[PanelButton::Stop].enabled);
    EXPECT_FALSE(idle.isEmpty());

    // Each peer got one find request with the trimmed text and the user ID.
    const auto requests = m_network.PeerCounters(kim).requests;
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_TRUE(requests[0].starts_with("/find "));
    EXPECT_TRUE(requests[0].ends_with("|song|tester")) << requests[0];
    EXPECT_EQ(requests[0], engine.FindRequestText());
    // The list's speed reaches the rows.
    const auto& kimRow = m_model.Row(0).record->nick() == "kim" ? m_model.Row(0) : m_model.Row(2);
    EXPECT_EQ(kimRow.record->speed, 150);
}

TEST_F(SearchEngineTest, ServersSharingANicknameAllGetTheFirstEntrysFigures)
{
    using Figures = std::set<std::tuple<std::string, std::int32_t, std::int32_t>>;
    const int first = AddPeer("kim", {File("C:\\a\\one.txt")}, localnet::PeerBehaviour::Normal, 150);
    const int second = AddPeer("kim", {File("C:\\b\\two.txt")}, localnet::PeerBehaviour::Normal, 90);
    const int other = AddPeer("Kim", {File("C:\\c\\six.txt")}, localnet::PeerBehaviour::Normal, 30);
    SearchEngine& engine = Engine();
    const auto figures = [&] {
        Figures seen;
        for (int row = 0; row < m_model.rowCount(); ++row) {
            const search::SearchResult& record = *m_model.Row(row).record;
            seen.emplace(record.nick(), record.speed, record.port());
        }
        return seen;
    };

    engine.StartSearch("txt");
    ASSERT_TRUE(RunFanOut());
    ASSERT_EQ(m_model.rowCount(), 6);
    EXPECT_EQ(figures(), (Figures{{"kim", 150, first}, {"Kim", 30, other}}));

    // A list fetched later names the second peer first: it now answers for both.
    m_network.ServeScript({.pieces = {"kim,127.0.0.1," + std::to_string(second) + ",90|kim,127.0.0.1," +
                                      std::to_string(first) + ",150\r\n"}});
    m_ticks.now += SearchEngine::kListReuseMs;
    engine.StartSearch("txt");
    ASSERT_TRUE(RunFanOut());
    ASSERT_EQ(m_model.rowCount(), 4);
    EXPECT_EQ(figures(), (Figures{{"kim", 90, second}}));
}

TEST_F(SearchEngineTest, ProgressOfThreeServers)
{
    for (const char* nick : {"a", "b", "c"}) {
        AddPeer(nick, {}, localnet::PeerBehaviour::Silent);
    }
    SearchEngine& engine = Engine();
    engine.StartSearch("x");
    ASSERT_TRUE(WaitForFanOut());
    EXPECT_EQ(m_timer.interval, 30);
    EXPECT_TRUE(m_view.buttons[PanelButton::Stop].enabled);
    EXPECT_EQ(m_timer.Tick(3), 3);
    EXPECT_EQ(m_view.positions, (std::vector<int>{0, 33, 66, 100}));
    EXPECT_EQ(m_view.progressTexts,
              (std::vector<QString>{QStringLiteral("33%\n"), QStringLiteral("66%\n"), QStringLiteral("100%\n")}));
    EXPECT_EQ(m_timer.Tick(), 1);
    EXPECT_FALSE(m_timer.IsActive());
    EXPECT_FALSE(m_view.buttons[PanelButton::Stop].enabled);
    EXPECT_EQ(engine.OpenPeerConnections(), 3); // silent peers keep theirs
}

TEST_F(SearchEngineTest, ListIsReusedWithinSixtySecondsOfItsFetch)
{
    const std::uint16_t port = AddPeer("kim", {File("C:\\a\\one.txt"), File("C:\\a\\two.txt")});
    SearchEngine& engine = Engine();
    engine.StartSearch("one");
    ASSERT_TRUE(RunFanOut());
    ASSERT_EQ(m_model.rowCount(), 2);

    m_ticks.now += 59999;
    engine.StartSearch("two");
    EXPECT_EQ(m_model.rowCount(), 0); // the old rows go at once
    ASSERT_TRUE(RunFanOut());
    EXPECT_EQ(m_network.AppServerCounters().accepted, 1U);
    EXPECT_EQ(Names(), (std::vector<std::string>{"kim:C:\\a", "kim:two.txt"}));
    EXPECT_EQ(m_network.PeerCounters(port).accepted, 2U);

    m_ticks.now += 1;
    engine.StartSearch("one");
    ASSERT_TRUE(RunFanOut());
    EXPECT_EQ(m_network.AppServerCounters().accepted, 2U);
}

TEST_F(SearchEngineTest, SecondSearchDuringAFetchRunsOnceWithTheNewerText)
{
    const std::uint16_t port = AddPeer("kim", {File("C:\\a\\old.txt"), File("C:\\a\\new.txt")});
    // The reply comes in two pieces with a pause between them, so the fetch is still running.
    m_network.ServeScript({.pieces = {"kim,127.0.0.1,", std::to_string(port) + ",100\r\n"},
                           .pause = std::chrono::milliseconds(300)});
    SearchEngine& engine = Engine();
    QSignalSpy fetched(&engine, &SearchEngine::serverListFetched);
    engine.StartSearch("old");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_network.AppServerCounters().accepted == 1; }, kWaitMs));
    engine.StartSearch("new");
    EXPECT_TRUE(engine.IsFetching());
    ASSERT_TRUE(RunFanOut());
    EXPECT_EQ(fetched.count(), 1);
    EXPECT_EQ(m_network.AppServerCounters().accepted, 1U);
    EXPECT_EQ(m_network.PeerCounters(port).accepted, 1U);
    EXPECT_EQ(Names(), (std::vector<std::string>{"kim:C:\\a", "kim:new.txt"}));
}

TEST_F(SearchEngineTest, FailedFetchIsRetriedAtOnce)
{
    m_network.ServeCloseWithoutAnswer();
    SearchEngine& engine = Engine();
    QSignalSpy fetched(&engine, &SearchEngine::serverListFetched);
    QSignalSpy idle(&engine, &SearchEngine::searchIdle);
    engine.StartSearch("x");
    ASSERT_TRUE(fetched.wait(kWaitMs));
    EXPECT_FALSE(fetched[0][0].toBool());
    EXPECT_EQ(idle.count(), 1);
    EXPECT_FALSE(m_timer.IsActive());

    engine.StartSearch("x"); // same tick: no reuse of an empty list
    ASSERT_TRUE(fetched.wait(kWaitMs));
    EXPECT_EQ(m_network.AppServerCounters().accepted, 2U);
}

TEST_F(SearchEngineTest, ReplyAfterAnEmptyLineAndInPieces)
{
    const std::uint16_t port = AddPeer("kim", {File("C:\\a\\x.txt")});
    m_network.ServeScript({.pieces = {"\r\n", "kim,127.0.", "0.1," + std::to_string(port), ",77\r\nleft over"},
                           .pause = std::chrono::milliseconds(20)});
    SearchEngine& engine = Engine();
    engine.StartSearch("x");
    ASSERT_TRUE(RunFanOut());
    ASSERT_EQ(engine.ServerList().size(), 1U);
    EXPECT_EQ(engine.ServerList()[0].speed, 77);
    EXPECT_EQ(m_model.rowCount(), 2);
}

TEST_F(SearchEngineTest, SilentApplicationServerFailsAfterItsTimeOut)
{
    m_network.ServeSilence();
    SearchEngine& engine = Engine(300);
    QSignalSpy fetched(&engine, &SearchEngine::serverListFetched);
    engine.StartSearch("x");
    ASSERT_TRUE(fetched.wait(kWaitMs));
    EXPECT_FALSE(fetched[0][0].toBool());
}

TEST_F(SearchEngineTest, SixHundredServersThatNeverCloseGetFiveHundredConnections)
{
    const std::uint16_t port = AddPeer("mute", {}, localnet::PeerBehaviour::Silent);
    std::string list;
    for (int i = 0; i < 600; ++i) {
        list += "p" + std::to_string(i) + ",127.0.0.1," + std::to_string(port) + ",10|";
    }
    m_network.ServeScript({.pieces = {list + "\r\n"}});
    SearchEngine& engine = Engine();
    engine.StartSearch("x");
    ASSERT_TRUE(WaitForFanOut());
    EXPECT_EQ(m_timer.Tick(600), 600);
    EXPECT_TRUE(m_timer.IsActive()); // entries still wait for a free slot
    EXPECT_EQ(engine.ContactedCount(), 500);
    EXPECT_EQ(m_view.positions.back(), 83);
    EXPECT_EQ(engine.OpenPeerConnections(), 500);
    ASSERT_TRUE(m_network.WaitUntil([&] { return m_network.PeerCounters(port).accepted == 500; },
                                    std::chrono::milliseconds(kWaitMs)));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_network.PeerCounters(port).accepted, 500U);

    // Teardown with 500 silent connections open returns at once.
    EXPECT_LT(Timed([&] { m_engine.reset(); }).count(), kTeardownBoundMs);
    EXPECT_TRUE(m_network.WaitUntil([&] { return m_network.OpenPeerConnections() == 0; },
                                    std::chrono::milliseconds(kWaitMs)));
}

TEST_F(SearchEngineTest, StopDuringAFetchStillFansOutAfterIt)
{
    const std::uint16_t port = AddPeer("kim", {File("C:\\a\\x.txt")});
    m_network.ServeScript({.pieces = {"kim,127.0.0.1,", std::to_string(port) + ",100\r\n"},
                           .pause = std::chrono::milliseconds(200)});
    SearchEngine& engine = Engine();
    engine.StartSearch("x");
    engine.OnCancel();
    EXPECT_FALSE(m_view.buttons[PanelButton::Stop].enabled);
    ASSERT_TRUE(RunFanOut());
    EXPECT_EQ(m_model.rowCount(), 2);
}

TEST_F(SearchEngineTest, StopClosesConnectionsAndKeepsRows)
{
    AddPeer("kim", {File("C:\\a\\x.txt")});
    AddPeer("mute", {}, localnet::PeerBehaviour::Silent);
    SearchEngine& engine = Engine();
    engine.StartSearch("x");
    ASSERT_TRUE(WaitForFanOut());
    m_timer.Tick(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_model.rowCount() == 2; }, kWaitMs));
    engine.OnCancel();
    EXPECT_FALSE(m_timer.IsActive());
    EXPECT_EQ(engine.OpenPeerConnections(), 0);
    EXPECT_EQ(m_model.rowCount(), 2);
    EXPECT_EQ(m_view.foundTexts.back(), QStringLiteral("2 개"));
}

TEST_F(SearchEngineTest, RepliesOfAnAbandonedSearchNeverReachTheNextOne)
{
    for (int i = 0; i < 5; ++i) {
        AddPeer("slow" + std::to_string(i), {File("C:\\a\\match.txt")}, localnet::PeerBehaviour::Slow);
    }
    SearchEngine& engine = Engine();
    engine.StartSearch("match");
    ASSERT_TRUE(WaitForFanOut());
    m_timer.Tick(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_network.OpenPeerConnections() == 5; }, kWaitMs));
    engine.StartSearch("nothing at all");
    ASSERT_TRUE(RunFanOut());
    EXPECT_EQ(m_model.rowCount(), 0);
}

TEST_F(SearchEngineTest, HostilePeersNeitherHangNorCorruptTheSearch)
{
    AddPeer("good", {File("C:\\a\\x.txt")});
    for (const localnet::PeerBehaviour behaviour :
         {localnet::PeerBehaviour::Refuse, localnet::PeerBehaviour::Garbage,
          localnet::PeerBehaviour::Reset, localnet::PeerBehaviour::Endless}) {
        AddPeer(std::string(localnet::BehaviourName(behaviour)), {File("C:\\b\\x.txt")}, behaviour);
    }
    SearchEngine& engine = Engine();
    engine.StartSearch("x");
    ASSERT_TRUE(RunFanOut()); // the endless line is cut off at the pending-input cap
    EXPECT_EQ(Names(), (std::vector<std::string>{"good:C:\\a", "good:x.txt"}));
}

TEST_F(SearchEngineTest, StoredSearchStartsOnConfigure)
{
    const std::uint16_t port = AddPeer("kim", {File("C:\\a\\x.txt")});
    m_network.Start();
    m_engine = std::make_unique<SearchEngine>(
        m_view, m_model, m_images,
        search::SearchSeams{.appServer = {"127.0.0.1", m_network.AppServerPort(), 10000},
                            .ticks = &m_ticks, .timer = &m_timer});
    m_engine->Configure({.param = UserParam("velkan", "A", 0), .search = "x"});
    EXPECT_NE(m_view.identityLabel, QStringLiteral("VELKAN"));
    ASSERT_TRUE(RunFanOut());
    EXPECT_EQ(m_network.PeerCounters(port).requests.at(0).substr(0, 6), "/find ");
    // The operator's server-information button appears, disabled, with every fan-out.
    EXPECT_TRUE(m_view.buttons[PanelButton::ServerInfo].visible);
    EXPECT_FALSE(m_view.buttons[PanelButton::ServerInfo].enabled);
}

TEST_F(SearchEngineTest, ConnectToSelectedAndRowClicks)
{
    AddPeer("kim", {File("C:\\a b\\x.txt")});
    AddPeer("*star", {File("top.txt")});
    SearchEngine& engine = Engine();
    engine.StartSearch("t");
    ASSERT_TRUE(RunFanOut());
    ASSERT_EQ(m_model.rowCount(), 3);

    engine.ConnectToSelected();
    EXPECT_EQ(m_view.messages, (std::vector<QString>{QStringLiteral("파일을 선택하세요")}));
    EXPECT_TRUE(m_view.connects.empty());

    for (int row = 0; row < m_model.rowCount(); ++row) {
        m_view.selectedRow = row;
        engine.ConnectToSelected();
        engine.OnResultClick();
        const bool starred = m_model.CellText(row, 0) == "*star";
        EXPECT_EQ(m_view.buttons[PanelButton::Download].enabled, !starred);
        EXPECT_EQ(m_view.buttons[PanelButton::Connect].enabled, !starred);
        EXPECT_FALSE(m_view.buttons[PanelButton::ServerInfo].enabled); // not the operator
    }
    std::sort(m_view.connects.begin(), m_view.connects.end());
    const std::string folder = channel::Base64Codec::Encode("C:\\a b");
    EXPECT_EQ(m_view.connects, (std::vector<std::pair<std::string, std::string>>{
                                   {"*star", "top.txt"}, {"kim", folder}, {"kim", folder}}));
}

// A host without a list widget asks by row number; what the view has selected plays no part.
TEST_F(SearchEngineTest, ServerInformationOfARowWithoutASelection)
{
    const std::uint16_t kim = m_network.AddPeer(
        {.nick = "kim",
         .files = {File("C:\\a\\x.txt")},
         .info = {.download1 = "3", .download2 = "10", .upload1 = "0", .upload2 = "5", .fileCount = 1234,
                  .totalBytes = 5368709120}});
    SearchEngine& engine = Engine();
    engine.StartSearch("x");
    ASSERT_TRUE(RunFanOut());
    ASSERT_EQ(m_model.rowCount(), 2);
    m_view.selectedRow = -1;

    for (const int row : {-1, 2, 100}) {
        EXPECT_EQ(engine.QueryServerInfo(row), nullptr) << row;
    }
    for (int row = 0; row < m_model.rowCount(); ++row) {
        SCOPED_TRACE(row);
        const std::unique_ptr<search::ServerInfoQuery> query = engine.QueryServerInfo(row);
        ASSERT_NE(query, nullptr);
        EXPECT_EQ(query->Server().nick, "kim");
        EXPECT_EQ(query->Server().port, kim);
        QSignalSpy answered(query.get(), &search::ServerInfoQuery::answered);
        ASSERT_TRUE(answered.wait(kWaitMs));
        const auto texts = answered[0][0].value<search::ServerInfoTexts>();
        EXPECT_EQ((std::vector<QString>{texts.download, texts.upload, texts.count, texts.size}),
                  (std::vector<QString>{QStringLiteral("3/10"), QStringLiteral("0/5"), QStringLiteral("1,234"),
                                        QStringLiteral("5GB")}));
        EXPECT_EQ(query->Failure(), std::nullopt);
    }
}

class TeardownTest : public SearchEngineTest {};

TEST_F(TeardownTest, WhileTheFetchWaitsForItsReply)
{
    m_network.ServeSilence();
    SearchEngine& engine = Engine();
    engine.StartSearch("x");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_network.AppServerCounters().requests.size() == 1; }, kWaitMs));
    EXPECT_LT(Timed([&] { m_engine.reset(); }).count(), kTeardownBoundMs);
}

TEST_F(TeardownTest, WhileTheFetchIsConnecting)
{
    // A listener whose backlog is full drops further connection attempts, which then hang.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fillers.push_back(filler);
    }
    search::ResultModel model;
    auto engine = std::make_unique<SearchEngine>(
        m_view, model, m_images,
        search::SearchSeams{.appServer = {"127.0.0.1", ntohs(address.sin_port), 10000},
                            .ticks = &m_ticks, .timer = &m_timer});
    engine->StartSearch("x");
    QTest::qWait(50);
    EXPECT_TRUE(engine->IsFetching());
    EXPECT_LT(Timed([&] { engine.reset(); }).count(), kTeardownBoundMs);
    for (const int filler : fillers) {
        ::close(filler);
    }
    ::close(listener);
}

} // namespace

namespace {

// Two hundred generated peers, as velkan-localnet serves them: every peer is asked once and
// every row of every reply arrives, exactly as the replies' own lines give them.
TEST_F(SearchEngineTest, TwoHundredGeneratedPeersGiveEveryExpectedRow)
{
    constexpr std::uint64_t kSeed = 7;
    constexpr std::string_view kText = "mp3";
    search::StartupConfig config;
    config.userId = "velkan"; // no plain ban words
    config.userClass = "A";   // adult items shown
    search::ResultModel expected;
    test::FakeImages images;
    search::FindReplyHandler handler(config, expected, images);
    int expectedCount = 0;
    for (std::size_t i = 0; i < 200; ++i) {
        const std::string nick = localnet::GenerateNick(kSeed, i);
        const auto share = localnet::GenerateShare(kSeed, i);
        m_network.AddPeer({.nick = nick, .speed = localnet::GenerateSpeed(kSeed, i), .files = share});
        ASSERT_TRUE(handler.Handle(localnet::FindReply(share, kText), nick,
                                   nullptr, expectedCount));
    }
    ASSERT_GT(expected.rowCount(), 200);

    m_network.Start();
    m_engine = std::make_unique<SearchEngine>(
        m_view, m_model, m_images,
        search::SearchSeams{.appServer = {"127.0.0.1", m_network.AppServerPort(), 10000},
                            .ticks = &m_ticks, .timer = &m_timer});
    m_engine->Configure({.param = UserParam("velkan", "A", 0)});
    m_engine->StartSearch(kText);
    ASSERT_TRUE(RunFanOut());

    const auto rowsOf = [](const search::ResultModel& model) {
        std::vector<std::string> rows;
        for (int row = 0; row < model.rowCount(); ++row) {
            std::string shown;
            for (int column = 0; column < 4; ++column) {
                shown += model.CellText(row, column) + "\t";
            }
            rows.push_back(shown);
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    EXPECT_EQ(rowsOf(m_model), rowsOf(expected));
    EXPECT_EQ(m_engine->FoundCount(), expectedCount);
    EXPECT_EQ(m_engine->ContactedCount(), 200);
}

} // namespace

namespace {

using namespace std::chrono_literals;

// Peers that each send a long unfinished line, together far more than the budget: what they
// hold stays within it, and every honest row arrives.
TEST_F(HostilePeersTest, PendingInputStaysWithinTheBudgetWhileHonestRowsArrive)
{
    constexpr std::size_t kBudget = 1 << 20;
    m_limits.inputBudgetBytes = kBudget;
    m_limits.peerIdle = 500ms;
    localnet::HostileTuning tuning;
    tuning.trickleCap = 400000;
    tuning.trickleBytesPerWrite = 16384;
    tuning.trickleInterval = 2ms;
    tuning.endlessCap = 3 * kBudget;
    for (int i = 0; i < 8; ++i) {
        AddHostile("trickle" + std::to_string(i), localnet::PeerBehaviour::Trickle, tuning);
    }
    AddHostile("endless", localnet::PeerBehaviour::Endless, tuning);
    const std::vector<std::string> honest = AddHonest(8);
    SearchEngine& engine = Engine();
    engine.StartSearch("song");
    ASSERT_TRUE(RunFanOut());
    EXPECT_EQ(Names(), honest);
    EXPECT_EQ(engine.ContactedCount(), 17);
    EXPECT_LE(engine.Budget().PeakBytes(), kBudget);
    EXPECT_GT(engine.Budget().Evictions(), 0U);
    EXPECT_EQ(engine.Budget().HeldBytes(), 0U);
}

// Silent peers, peers that never finish and peers whose connect is never answered are let go
// after the (short) limits, and the search ends by itself.
TEST_F(HostilePeersTest, SilentStalledAndUnreachablePeersAreLetGoAndTheSearchEnds)
{
    m_limits.connectTimeout = 300ms;
    m_limits.peerIdle = 300ms;
    m_limits.peerLifetime = 1500ms;
    localnet::HostileTuning steady; // never silent for long, never done
    steady.trickleCap = std::uint64_t{1} << 30;
    steady.trickleBytesPerWrite = 100;
    steady.trickleInterval = 20ms;
    for (int i = 0; i < 3; ++i) {
        AddHostile("silent" + std::to_string(i), localnet::PeerBehaviour::Silent);
        AddHostile("blackhole" + std::to_string(i), localnet::PeerBehaviour::Blackhole);
        AddHostile("steady" + std::to_string(i), localnet::PeerBehaviour::Trickle, steady);
    }
    const std::vector<std::string> honest = AddHonest(2);
    SearchEngine& engine = Engine();
    QSignalSpy idle(&engine, &SearchEngine::searchIdle);
    engine.StartSearch("song");
    ASSERT_TRUE(RunFanOut());
    EXPECT_FALSE(idle.isEmpty());
    EXPECT_EQ(engine.OpenPeerConnections(), 0);
    EXPECT_EQ(engine.ContactedCount(), 11);
    EXPECT_EQ(m_view.progressTexts.back(), QStringLiteral("100%\n"));
    EXPECT_EQ(Names(), honest);
}

} // namespace
