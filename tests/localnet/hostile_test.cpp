#include "tools/velkan-localnet/network.h"
#include "channel/peerprotocol.h"
#include "tests/localnet/testclient.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <map>
#include <poll.h>

using namespace velkan::localnet;
using namespace velkan::localnet::test;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kSlowInterval{5};
constexpr std::uint64_t kSmallCap = 300000;
constexpr std::size_t kTrickleWrite = 20000;
constexpr std::chrono::milliseconds kTrickleInterval{20};

// One peer of every kind, all sharing the same files, so the honest answer of the normal peer
// is what the others bend.
class HostileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_ports[PeerBehaviour::Normal] = Add(PeerBehaviour::Normal, kSmallCap);
        for (PeerBehaviour behaviour : kHostileBehaviours) {
            m_ports[behaviour] = Add(behaviour, kSmallCap);
        }
        m_network.Start();
    }

    std::uint16_t Add(PeerBehaviour behaviour, std::uint64_t endlessCap)
    {
        PeerConfig peer;
        peer.nick = std::string(BehaviourName(behaviour));
        peer.behaviour = behaviour;
        peer.files = {
            {"C:\\Music\\Love Song.mp3", "2004-01-02 10:11", 4000000, 0, 1},
            {"C:\\Music\\<b>|x.txt", "2005-03-04 05:06", 7, kItemAdult, 2},
        };
        peer.tuning.slowInterval = kSlowInterval;
        peer.tuning.endlessCap = endlessCap;
        peer.tuning.trickleCap = kSmallCap;
        peer.tuning.trickleBytesPerWrite = kTrickleWrite;
        peer.tuning.trickleInterval = kTrickleInterval;
        return m_network.AddPeer(std::move(peer));
    }

    std::uint16_t Port(PeerBehaviour behaviour) { return m_ports.at(behaviour); }

    // The normal peer's whole answer, "\r\n" included.
    std::string Honest(std::string_view request)
    {
        const Received received = Ask(Port(PeerBehaviour::Normal), request);
        EXPECT_EQ(received.end, Received::End::Closed);
        return received.bytes;
    }

    Network m_network;
    std::map<PeerBehaviour, std::uint16_t> m_ports;
};

// A search with a short answer (so the slow peer is done in well under a second) and the
// information request.
const std::vector<std::string> kRequests = {"/find 1|Love|me", "/sinf "};

TEST_F(HostileTest, TheSilentPeerReadsButNeverAnswersNorCloses)
{
    const std::uint16_t port = Port(PeerBehaviour::Silent);
    int error = 0;
    FileDescriptor client = ConnectTo(port, error);
    ASSERT_TRUE(client.Valid()) << error;
    ASSERT_TRUE(SendAll(client.Get(), ProtectedLine("/find 1|Love|me")));
    ASSERT_TRUE(m_network.WaitUntil(
        [&] { return m_network.PeerCounters(port).requests.size() == 1; }, kLimit));
    EXPECT_TRUE(NothingPending(client.Get()));
    EXPECT_EQ(m_network.PeerCounters(port).open, 1U);

    // Once the client gives up, the peer lets go of its end too.
    client.Close();
    EXPECT_TRUE(m_network.WaitUntil([&] { return m_network.PeerCounters(port).open == 0; }, kLimit));
    EXPECT_EQ(m_network.PeerCounters(port).bytesSent, 0U);
}

TEST_F(HostileTest, TheSlowPeerSendsTheHonestAnswerAByteAtATime)
{
    for (const std::string& request : kRequests) {
        SCOPED_TRACE(request);
        const std::string honest = Honest(request);
        ASSERT_GT(honest.size(), 10U);
        const auto asked = Clock::now();
        const Received received = Ask(Port(PeerBehaviour::Slow), request);
        const auto elapsed = Clock::now() - asked;
        EXPECT_EQ(received.end, Received::End::Closed);
        EXPECT_EQ(received.bytes, honest);
        EXPECT_GE(elapsed, kSlowInterval * static_cast<int>(honest.size() - 1));
        EXPECT_GT(received.reads, 1U);
    }
}

TEST_F(HostileTest, TheRefusingPeerIsListedButRefusesEveryConnection)
{
    const std::uint16_t port = Port(PeerBehaviour::Refuse);
    EXPECT_NE(m_network.GeneratedServerList().find("refuse,127.0.0.1," + std::to_string(port) + ","),
              std::string::npos);
    for (int attempt = 0; attempt < 3; ++attempt) {
        int error = 0;
        EXPECT_FALSE(ConnectTo(port, error).Valid());
        EXPECT_EQ(error, ECONNREFUSED);
    }
    EXPECT_EQ(m_network.PeerCounters(port).accepted, 0U);
}

TEST_F(HostileTest, TheGarbagePeerAnswersOneLineOfNoProtocol)
{
    std::vector<std::string> lines;
    for (const std::string& request : kRequests) {
        SCOPED_TRACE(request);
        const Received received = Ask(Port(PeerBehaviour::Garbage), request);
        EXPECT_EQ(received.end, Received::End::Closed);
        ASSERT_TRUE(received.bytes.ends_with("\r\n")) << received.bytes;
        const std::string line = received.bytes.substr(0, received.bytes.size() - 2);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        EXPECT_FALSE(line.empty());
        EXPECT_FALSE(velkan::channel::ParseFindReply(line)) << line;
        EXPECT_FALSE(velkan::channel::ParseServerInfoReply(line)) << line;
        lines.push_back(line);
    }
    EXPECT_NE(lines[0], lines[1]);

    // The lines follow from the network's seed.
    const auto firstLine = [](std::uint64_t seed) {
        NetworkOptions options;
        options.seed = seed;
        Network network(options);
        PeerConfig peer;
        peer.nick = "garbage";
        peer.behaviour = PeerBehaviour::Garbage;
        const std::uint16_t port = network.AddPeer(std::move(peer));
        network.Start();
        return Ask(port, "/sinf ").bytes;
    };
    EXPECT_EQ(firstLine(5), firstLine(5));
    EXPECT_NE(firstLine(5), firstLine(6));
}

// The endless peer sends its line as fast as the client takes it, the trickling one a piece
// at a time; both stop at the cap and hold the connection.
TEST_F(HostileTest, UnendingPeersSendALineWithoutEndUpToTheCap)
{
    for (const PeerBehaviour behaviour : {PeerBehaviour::Endless, PeerBehaviour::Trickle}) {
        SCOPED_TRACE(BehaviourName(behaviour));
        const std::uint16_t port = Port(behaviour);
        int error = 0;
        FileDescriptor client = ConnectTo(port, error);
        ASSERT_TRUE(client.Valid()) << error;
        ASSERT_TRUE(SendAll(client.Get(), ProtectedLine("/find 1|Love|me")));
        const Received received = ReadUntilEnd(client.Get(), kLimit, kSmallCap);
        EXPECT_EQ(received.end, Received::End::Limit);
        EXPECT_EQ(received.bytes.size(), kSmallCap);
        EXPECT_TRUE(received.bytes.starts_with("find>"));
        EXPECT_EQ(received.bytes.find_first_of("\r\n"), std::string::npos);
        if (behaviour == PeerBehaviour::Trickle) {
            const auto writes = static_cast<int>((kSmallCap + kTrickleWrite - 1) / kTrickleWrite);
            EXPECT_GE(received.span, kTrickleInterval * (writes - 1));
        }

        // Past the cap it sends nothing more but keeps the line open.
        ASSERT_TRUE(m_network.WaitUntil(
            [&] { return m_network.PeerCounters(port).bytesSent == kSmallCap; }, kLimit));
        EXPECT_TRUE(NothingPending(client.Get()));
        EXPECT_EQ(m_network.PeerCounters(port).open, 1U);
        client.Close();
        EXPECT_TRUE(m_network.WaitUntil([&] { return m_network.PeerCounters(port).open == 0; }, kLimit));
    }
}

TEST_F(HostileTest, TheHangupPeerTakesTheRequestAndClosesWithoutAWord)
{
    const std::uint16_t port = Port(PeerBehaviour::Hangup);
    for (const std::string& request : kRequests) {
        SCOPED_TRACE(request);
        const Received received = Ask(port, request);
        EXPECT_EQ(received.end, Received::End::Closed);
        EXPECT_EQ(received.bytes, "");
    }
    EXPECT_EQ(m_network.PeerCounters(port).requests.size(), kRequests.size());
}

TEST_F(HostileTest, TheBlackholeIsListedButNoConnectionAttemptIsAnswered)
{
    const std::uint16_t port = Port(PeerBehaviour::Blackhole);
    EXPECT_NE(m_network.GeneratedServerList().find("blackhole,127.0.0.1," + std::to_string(port) + ","),
              std::string::npos);
    FileDescriptor client(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    ASSERT_NE(::connect(client.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(errno, EINPROGRESS);
    // Neither accepted nor refused: the attempt is still under way when the wait ends.
    pollfd connecting{client.Get(), POLLOUT, 0};
    EXPECT_EQ(::poll(&connecting, 1, 500), 0);
    EXPECT_EQ(m_network.PeerCounters(port).accepted, 0U);
}

TEST_F(HostileTest, TheEndlessPeerStopsWhenTheClientGivesUp)
{
    constexpr std::uint64_t kDefaultCap = HostileTuning{}.endlessCap;
    const std::uint16_t port = Add(PeerBehaviour::Endless, kDefaultCap);
    int error = 0;
    FileDescriptor client = ConnectTo(port, error);
    ASSERT_TRUE(client.Valid()) << error;
    ASSERT_TRUE(SendAll(client.Get(), ProtectedLine("/sinf ")));
    const Received received = ReadUntilEnd(client.Get(), kLimit, std::size_t{1} << 20);
    ASSERT_EQ(received.end, Received::End::Limit);
    EXPECT_EQ(received.bytes.find('\n'), std::string::npos);
    client.Close();
    EXPECT_TRUE(m_network.WaitUntil([&] { return m_network.PeerCounters(port).open == 0; }, kLimit));
    EXPECT_LT(m_network.PeerCounters(port).bytesSent, kDefaultCap);
}

TEST_F(HostileTest, TheResettingPeerSendsHalfALineThenResets)
{
    for (const std::string& request : kRequests) {
        SCOPED_TRACE(request);
        const std::string honest = Honest(request);
        const std::string line = honest.substr(0, honest.size() - 2);
        const Received received = Ask(Port(PeerBehaviour::Reset), request);
        EXPECT_EQ(received.end, Received::End::Reset);
        EXPECT_EQ(received.bytes, line.substr(0, line.size() / 2));
    }
    EXPECT_TRUE(m_network.Errors().empty());
}

} // namespace
