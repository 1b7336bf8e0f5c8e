#include "channel/appserverprotocol.h"
#include "channel/cp949.h"
#include "tests/localnet/cp949text.h"
#include "tools/velkan-localnet/network.h"
#include "channel/peerprotocol.h"
#include "tests/localnet/sharedfiles.h"
#include "tools/velkan-localnet/sharegenerator.h"
#include "tests/localnet/testclient.h"

#include <gtest/gtest.h>

#include <numeric>
#include <set>

using namespace velkan::localnet;
using namespace velkan::localnet::test;
using namespace std::chrono_literals;
using velkan::channel::ServerEntry;

namespace {

using Clock = std::chrono::steady_clock;

// A hand-made share whose matches can be told by reading it.
std::vector<SharedFile> HandMadeShare()
{
    return {
        {"C:\\Music\\Love Song.mp3", "2004-01-02 10:11", 4000000, 0, 1},
        {"C:\\Music\\<live> a|b.MP3", "2003-12-31 23:59", 12, kItemExempt, 0},
        {Cp949("D:\\문서\\사랑 노래.hwp"), "1999-05-06 07:08", 77, 0, 3},
        {Cp949("C:\\갵\\x.txt"), "2001-01-01 00:00", 1, 0, 4}, // "갵" ends in the byte of "a"
        {"C:\\Music & Film\\Song of Love.wmv", "2008-08-08 08:08", 5000000000, kItemAdult, -7},
        {"C:\\Bonus", "2002-02-02 02:02", 0, kItemSpecial, 0},
    };
}

class NetworkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_network.SetErrorCallback([this](const std::string& line) {
            const std::lock_guard lock(m_mutex);
            m_reported.push_back(line);
        });
    }

    std::vector<std::string> Reported()
    {
        const std::lock_guard lock(m_mutex);
        return m_reported;
    }

    std::uint16_t AddNormalPeer(std::string nick, std::vector<SharedFile> files)
    {
        PeerConfig peer;
        peer.nick = std::move(nick);
        peer.files = std::move(files);
        return m_network.AddPeer(std::move(peer));
    }

    // The reply line without its "\r\n"; fails the test when the answer is not one line
    // followed by an orderly close.
    std::string AskLine(std::uint16_t port, std::string_view plain)
    {
        const Received received = Ask(port, plain);
        EXPECT_EQ(received.end, Received::End::Closed);
        EXPECT_TRUE(received.bytes.ends_with("\r\n")) << received.bytes;
        const std::string line = received.bytes.substr(0, received.bytes.find("\r\n"));
        EXPECT_EQ(line.size() + 2, received.bytes.size()) << "more than one line";
        return line;
    }

    // Declared before the network, so they outlive its thread.
    std::mutex m_mutex;
    std::vector<std::string> m_reported;
    Network m_network;
};

TEST_F(NetworkTest, TheServerListNamesEveryPeerWithItsPort)
{
    struct Peer {
        std::string nick;
        std::int32_t speed;
        std::int32_t flags;
        std::uint16_t port = 0;
    };
    std::vector<Peer> peers = {
        {Cp949("하늘001"), 512, 0},
        {"peer002", 56, 0},
        {"hidden", 0, velkan::channel::kServerHidden},
        {Cp949("sky바다004"), 10000, velkan::channel::kServerHiddenByOption},
        {"refusing", 128, 0},
    };
    for (Peer& peer : peers) {
        PeerConfig config;
        config.nick = peer.nick;
        config.speed = peer.speed;
        config.flags = peer.flags;
        config.behaviour = peer.nick == "refusing" ? PeerBehaviour::Refuse : PeerBehaviour::Normal;
        peer.port = m_network.AddPeer(std::move(config));
    }
    m_network.Start();

    const std::string line = AskLine(m_network.AppServerPort(), "/slst 1|");
    EXPECT_EQ(line, m_network.GeneratedServerList());
    const auto listed = [&](std::int32_t options) {
        std::vector<std::tuple<std::string, std::string, std::int32_t, std::int32_t>> entries;
        for (const ServerEntry& entry : velkan::channel::ParseServerList(line, options)) {
            entries.emplace_back(entry.nick, entry.host, entry.port, entry.speed);
        }
        return entries;
    };
    const auto expected = [&](std::int32_t hiddenFlags) {
        std::vector<std::tuple<std::string, std::string, std::int32_t, std::int32_t>> entries;
        for (const Peer& peer : peers) {
            if ((peer.flags & hiddenFlags) == 0) {
                entries.emplace_back(peer.nick, "127.0.0.1", peer.port, peer.speed);
            }
        }
        return entries;
    };
    EXPECT_EQ(listed(0), expected(velkan::channel::kServerHidden));
    EXPECT_EQ(listed(velkan::channel::kOptionHideFlaggedServers),
              expected(velkan::channel::kServerHidden | velkan::channel::kServerHiddenByOption));

    const ListenerCounters counters = m_network.AppServerCounters();
    EXPECT_EQ(counters.accepted, 1U);
    EXPECT_EQ(counters.requests, std::vector<std::string>{"/slst 1|"});
    EXPECT_EQ(counters.bytesSent, line.size() + 2);
}

TEST_F(NetworkTest, FindAnswersTheMatchingItemsWithEscapes)
{
    const std::vector<SharedFile> share = HandMadeShare();
    const std::uint16_t port = AddNormalPeer("hand", share);
    m_network.Start();

    struct Case {
        std::string search;
        std::vector<std::size_t> expected; // indexes into the share
    };
    const std::vector<Case> cases = {
        {"love", {0, 4}},
        {"LOVE song", {0, 4}},
        {"love^song", {0, 4}},
        {"^love^ ^song^", {0, 4}},
        {"song mp3", {0}},
        {"mp3", {0, 1}},
        {"<live>", {1}},
        {"a|b", {1}},
        {"a", {1}}, // never the "a" inside "갵"; no other path holds one
        {Cp949("사랑"), {2}},
        {Cp949("갵"), {3}},
        {"& film", {4}},
        {"bonus", {5}},
        {"love jazz", {}},
        {"", {}},
        {"^ ^", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.search);
        const std::string line = AskLine(port, "/find 5|" + c.search + "|someone");
        const auto parsed = velkan::channel::ParseFindReply(line);
        ASSERT_TRUE(parsed) << line;
        std::vector<SharedFile> expected;
        for (std::size_t index : c.expected) {
            expected.push_back(share[index]);
        }
        EXPECT_EQ(AsShare(*parsed), expected);
        if (c.expected.empty()) {
            EXPECT_EQ(line, "find");
        }
    }
    // On the wire the separators inside the path travel escaped.
    const std::string line = AskLine(port, "/find 6|live|x");
    EXPECT_NE(line.find(">C:\\Music\\&lt;live&gt; a&0x7c;b.MP3|"), std::string::npos) << line;

    const ListenerCounters counters = m_network.PeerCounters(port);
    EXPECT_EQ(counters.accepted, cases.size() + 1);
    EXPECT_EQ(counters.requests.front(), "/find 5|love|someone");
    EXPECT_EQ(counters.requests.back(), "/find 6|live|x");
}

TEST_F(NetworkTest, AGeneratedShareCrossesTheWireWhole)
{
    PeerConfig peer;
    peer.nick = "generated";
    int calls = 0;
    peer.generateFiles = [&calls] {
        ++calls;
        return GenerateShare(7, 3);
    };
    const std::uint16_t port = m_network.AddPeer(std::move(peer));
    m_network.Start();
    for (int round = 0; round < 2; ++round) {
        const auto parsed = velkan::channel::ParseFindReply(AskLine(port, "/find 1|\\|me"));
        ASSERT_TRUE(parsed);
        EXPECT_EQ(AsShare(*parsed), GenerateShare(7, 3));
    }
    m_network.Stop(); // the generator runs on the network's thread
    EXPECT_EQ(calls, 1);
}

TEST_F(NetworkTest, ServerInformationIsOneSixFieldLine)
{
    const std::vector<SharedFile> share = GenerateShare(3, 3);
    PeerConfig peer;
    peer.nick = "info";
    peer.files = share;
    peer.info = InfoFigures{"5", "6", "7", "8", std::nullopt, std::nullopt};
    const std::uint16_t port = m_network.AddPeer(std::move(peer));
    m_network.Start();

    const std::string line = AskLine(port, "/sinf ");
    EXPECT_TRUE(line.starts_with("/info ")) << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 5) << line;
    const auto info = velkan::channel::ParseServerInfoReply(line);
    ASSERT_TRUE(info) << line;
    EXPECT_EQ(info->download, "5/6");
    EXPECT_EQ(info->upload, "7/8");
    EXPECT_EQ(info->fileCount, static_cast<double>(share.size()));
    EXPECT_EQ(info->totalSize,
              std::accumulate(share.begin(), share.end(), std::int64_t{0},
                              [](std::int64_t sum, const SharedFile& f) { return sum + f.size; }));
}

TEST_F(NetworkTest, BadRequestsCloseTheConnectionAndAreReported)
{
    const std::uint16_t peer = AddNormalPeer("victim", HandMadeShare());
    const std::uint16_t app = m_network.AppServerPort();
    m_network.Start();

    struct Case {
        std::uint16_t port;
        std::string bytes;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {peer, "%%%not base64\r\n", "does not decrypt"},
        {app, "!!!\r\n", "does not decrypt"},
        {peer, "\r\n", "does not decrypt"},
        {peer, ProtectedLine("/slst 1|"), "unexpected request"},
        {app, ProtectedLine("/find 1|a|b"), "unexpected request"},
        {app, ProtectedLine("/sinf "), "unexpected request"},
        {peer, ProtectedLine("/hello"), "unexpected request"},
        {peer, ProtectedLine("/find x|a|b"), "unexpected request"},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.bytes);
        int error = 0;
        const FileDescriptor fd = ConnectTo(c.port, error);
        ASSERT_TRUE(fd.Valid()) << error;
        ASSERT_TRUE(SendAll(fd.Get(), c.bytes));
        const Received received = ReadUntilEnd(fd.Get());
        EXPECT_EQ(received.end, Received::End::Closed);
        EXPECT_EQ(received.bytes, "");
        ASSERT_TRUE(m_network.WaitUntil([&] { return m_network.Errors().size() > i; }, kLimit));
        const std::string line = m_network.Errors()[i];
        EXPECT_NE(line.find(":" + std::to_string(c.port) + ":"), std::string::npos) << line;
        EXPECT_NE(line.find(c.reason), std::string::npos) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    }
    EXPECT_EQ(Reported(), m_network.Errors());
    // The decryptable ones are on record with the listener that got them.
    EXPECT_EQ(m_network.AppServerCounters().requests,
              (std::vector<std::string>{"/find 1|a|b", "/sinf "}));
    EXPECT_EQ(m_network.PeerCounters(peer).requests,
              (std::vector<std::string>{"/slst 1|", "/hello", "/find x|a|b"}));
}

TEST_F(NetworkTest, ARequestWithoutLineEndIsCutOffAndReported)
{
    const std::uint16_t port = AddNormalPeer("victim", {});
    m_network.Start();
    int error = 0;
    const FileDescriptor fd = ConnectTo(port, error);
    ASSERT_TRUE(fd.Valid()) << error;
    // More than any request line; the server stops reading once it has seen enough.
    SendAll(fd.Get(), std::string(200 * 1024, 'A'));
    const Received received = ReadUntilEnd(fd.Get());
    EXPECT_NE(received.end, Received::End::TimedOut);
    EXPECT_EQ(received.bytes, "");
    ASSERT_TRUE(m_network.WaitUntil([&] { return !m_network.Errors().empty(); }, kLimit));
    EXPECT_NE(m_network.Errors()[0].find("no line end"), std::string::npos);
    EXPECT_TRUE(m_network.WaitUntil([&] { return m_network.OpenPeerConnections() == 0; }, kLimit));
}

TEST_F(NetworkTest, TheApplicationServerFollowsItsScript)
{
    m_network.Start();
    const std::uint16_t app = m_network.AppServerPort();

    // An empty line first, then the list in two writes with pauses between.
    const AppServerScript script{{"\r\n", "a,127.0.0.1,1,2|", "b,127.0.0.1,3,4\r\n"}, 30ms};
    m_network.ServeScript(script);
    const auto asked = Clock::now();
    const Received scripted = Ask(app, "/slst 2|");
    EXPECT_GE(Clock::now() - asked, 60ms); // two pauses before the last piece
    EXPECT_EQ(scripted.end, Received::End::Closed);
    EXPECT_EQ(scripted.bytes, "\r\na,127.0.0.1,1,2|b,127.0.0.1,3,4\r\n");

    m_network.ServeCloseWithoutAnswer();
    const Received closed = Ask(app, "/slst 3|");
    EXPECT_EQ(closed.end, Received::End::Closed);
    EXPECT_EQ(closed.bytes, "");

    m_network.ServeSilence();
    int error = 0;
    const FileDescriptor silent = ConnectTo(app, error);
    ASSERT_TRUE(silent.Valid()) << error;
    ASSERT_TRUE(SendAll(silent.Get(), ProtectedLine("/slst 4|")));
    ASSERT_TRUE(m_network.WaitUntil(
        [&] { return m_network.AppServerCounters().requests.size() == 3; }, kLimit));
    EXPECT_TRUE(NothingPending(silent.Get()));
    EXPECT_EQ(m_network.AppServerCounters().open, 1U);

    m_network.ServeGeneratedList();
    EXPECT_EQ(Ask(app, "/slst 5|").bytes, m_network.GeneratedServerList() + "\r\n");
    EXPECT_EQ(m_network.AppServerCounters().requests,
              (std::vector<std::string>{"/slst 2|", "/slst 3|", "/slst 4|", "/slst 5|"}));

    // Stopping closes even the connection that was never answered.
    m_network.Stop();
    const Received afterStop = ReadUntilEnd(silent.Get());
    EXPECT_EQ(afterStop.end, Received::End::Closed);
    EXPECT_EQ(afterStop.bytes, "");
}

TEST_F(NetworkTest, ListsOfHundredsOfSilentPeersHoldEveryConnection)
{
    constexpr std::size_t kPeers = 600;
    std::set<std::int32_t> ports;
    for (std::size_t i = 0; i < kPeers; ++i) {
        PeerConfig peer;
        peer.nick = "silent" + std::to_string(i);
        peer.behaviour = PeerBehaviour::Silent;
        ports.insert(m_network.AddPeer(std::move(peer)));
    }
    ASSERT_EQ(ports.size(), kPeers);
    m_network.Start();

    const std::string line = AskLine(m_network.AppServerPort(), "/slst 9|");
    const std::vector<ServerEntry> entries = velkan::channel::ParseServerList(line, 0);
    ASSERT_EQ(entries.size(), kPeers);
    std::vector<FileDescriptor> clients;
    for (const ServerEntry& entry : entries) {
        EXPECT_TRUE(ports.contains(entry.port));
        int error = 0;
        clients.push_back(ConnectTo(static_cast<std::uint16_t>(entry.port), error));
        ASSERT_TRUE(clients.back().Valid()) << error;
        ASSERT_TRUE(SendAll(clients.back().Get(), ProtectedLine("/find 1|x|me")));
    }
    ASSERT_TRUE(m_network.WaitUntil([&] { return m_network.OpenPeerConnections() == kPeers; },
                                    kLimit));
    ASSERT_TRUE(m_network.WaitUntil(
        [&] {
            return std::all_of(ports.begin(), ports.end(), [&](std::int32_t port) {
                return m_network.PeerCounters(static_cast<std::uint16_t>(port)).requests.size() == 1;
            });
        },
        kLimit));
    for (const FileDescriptor& client : clients) {
        EXPECT_TRUE(NothingPending(client.Get()));
    }
    EXPECT_TRUE(m_network.Errors().empty());
}

TEST_F(NetworkTest, StopIsPromptWithFiveHundredSilentConnectionsOpen)
{
    std::vector<std::uint16_t> ports;
    for (int i = 0; i < 5; ++i) {
        PeerConfig peer;
        peer.nick = "quiet" + std::to_string(i);
        peer.behaviour = PeerBehaviour::Silent;
        ports.push_back(m_network.AddPeer(std::move(peer)));
    }
    m_network.Start();
    std::vector<FileDescriptor> clients;
    for (int i = 0; i < 500; ++i) {
        int error = 0;
        clients.push_back(ConnectTo(ports[static_cast<std::size_t>(i) % ports.size()], error));
        ASSERT_TRUE(clients.back().Valid()) << error;
        if (i % 2 == 0) { // half of them never even send their request
            ASSERT_TRUE(SendAll(clients.back().Get(), ProtectedLine("/sinf ")));
        }
    }
    ASSERT_TRUE(m_network.WaitUntil([&] { return m_network.OpenPeerConnections() == 500; },
                                    kLimit));

    const auto start = Clock::now();
    m_network.Stop();
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_EQ(m_network.OpenPeerConnections(), 0U);
    for (const FileDescriptor& client : clients) {
        const Received received = ReadUntilEnd(client.Get());
        ASSERT_EQ(received.end, Received::End::Closed);
        ASSERT_EQ(received.bytes, "");
    }
    int error = 0;
    EXPECT_FALSE(ConnectTo(ports[0], error).Valid());
    EXPECT_EQ(error, ECONNREFUSED);
    EXPECT_FALSE(ConnectTo(m_network.AppServerPort(), error).Valid());
    EXPECT_EQ(error, ECONNREFUSED);
}

TEST_F(NetworkTest, PeersAddedWhileRunningAreServedAndListed)
{
    m_network.Start();
    EXPECT_EQ(AskLine(m_network.AppServerPort(), "/slst 1|"), "");
    const std::uint16_t port = AddNormalPeer("late", HandMadeShare());
    const auto parsed = velkan::channel::ParseFindReply(AskLine(port, "/find 1|love|me"));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->size(), 2U);
    const auto entries =
        velkan::channel::ParseServerList(AskLine(m_network.AppServerPort(), "/slst 2|"), 0);
    ASSERT_EQ(entries.size(), 1U);
    EXPECT_EQ(entries[0].port, port);
    EXPECT_EQ(entries[0].nick, "late");
}

TEST_F(NetworkTest, NicknamesThatWouldBreakTheListAreRejected)
{
    for (const std::string nick : {"a,b", "a|b", "|", ","}) {
        PeerConfig peer;
        peer.nick = nick;
        EXPECT_THROW(m_network.AddPeer(std::move(peer)), std::invalid_argument) << nick;
    }
    EXPECT_EQ(m_network.GeneratedServerList(), "");
}

TEST(NetworkPort, AFixedApplicationServerPortIsUsedOrRefused)
{
    // A port the kernel just gave out and that is free again, then the same one while taken.
    std::uint16_t port = 0;
    {
        Network first;
        port = first.AppServerPort();
    }
    NetworkOptions options;
    options.appServerPort = port;
    Network network(options);
    EXPECT_EQ(network.AppServerPort(), port);
    EXPECT_THROW(Network{options}, std::system_error);
}

TEST(NetworkWait, WaitUntilGivesUpAtItsLimit)
{
    const Network network;
    const auto start = Clock::now();
    EXPECT_FALSE(network.WaitUntil([] { return false; }, 20ms));
    EXPECT_GE(Clock::now() - start, 20ms);
    EXPECT_TRUE(network.WaitUntil([] { return true; }, 0ms));
}

} // namespace
