#include "channel/blowfish.h"
#include "tests/search/fakes.h"
#include "tools/velkan-localnet/network.h"
#include "search/peerconnection.h"
#include "channel/peerprotocol.h"
#include "channel/sendline.h"
#include "tools/velkan-localnet/socketutil.h"
#include "channel/wirekey.h"

#include <gtest/gtest.h>

#include <optional>
#include <sys/socket.h>

using namespace velkan;
using namespace std::chrono_literals;
using localnet::PeerBehaviour;
using search::ConnectionEnd;
using search::InputBudget;
using search::PeerConnection;

namespace {

constexpr int kWaitMs = 10000;

// One connection as the fan-out drives it, with what it reported.
struct Conversation {
    Conversation(channel::BlowFish& cipher, std::shared_ptr<InputBudget> budget,
                 search::PeerTimeouts timeouts)
        : connection(
              PeerConnection::Callbacks{
                  .connected = [this, &cipher] {
                      connection.SendRequest(cipher, channel::FindRequest(1, "song", "me"));
                  },
                  .connectFailed = [this](ConnectionEnd why) { end = why; },
                  .lineReceived = [this](const std::string& line) { lines.push_back(line); },
                  .closed = [this](ConnectionEnd why) { end = why; },
              },
              std::move(budget), timeouts)
    {
    }

    bool WaitForEnd() { return test::RunEventLoopUntil([&] { return end.has_value(); }, kWaitMs); }

    PeerConnection connection;
    std::vector<std::string> lines;
    std::optional<ConnectionEnd> end;
};

class PeerConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_cipher.Initialize(channel::kWireKey)); }
    void TearDown() override { m_network.Stop(); }

    std::uint16_t Add(PeerBehaviour behaviour, localnet::HostileTuning tuning = {})
    {
        return m_network.AddPeer({.nick = std::string(localnet::BehaviourName(behaviour)),
                                  .behaviour = behaviour,
                                  .files = {{.path = "C:\\a\\song.mp3", .date = "2004-01-02 10:11", .size = 10}},
                                  .tuning = tuning});
    }

    channel::BlowFish m_cipher;
    localnet::Network m_network;
};

// Every way a conversation ends is told apart, and each limit ends it by itself.
TEST_F(PeerConnectionTest, EachEndIsReportedWithItsReason)
{
    constexpr std::size_t kBudget = 1 << 20;
    struct Case {
        const char* name;
        PeerBehaviour behaviour;
        localnet::HostileTuning tuning;
        search::PeerTimeouts timeouts;
        ConnectionEnd expected;
        std::size_t lines;
    };
    localnet::HostileTuning overBudget;
    overBudget.endlessCap = 2 * kBudget;
    localnet::HostileTuning overCap;
    overCap.endlessCap = PeerConnection::kMaxPendingBytes + (1 << 20);
    localnet::HostileTuning steady; // never silent for long, never done
    steady.trickleCap = std::uint64_t{1} << 30;
    steady.trickleBytesPerWrite = 100;
    steady.trickleInterval = 20ms;
    const std::vector<Case> cases = {
        {"honest", PeerBehaviour::Normal, {}, {}, ConnectionEnd::ClosedByPeer, 1},
        {"refused", PeerBehaviour::Refuse, {}, {}, ConnectionEnd::Refused, 0},
        {"reset", PeerBehaviour::Reset, {}, {}, ConnectionEnd::Reset, 0},
        {"unanswered connect", PeerBehaviour::Blackhole, {}, {.connect = 200ms}, ConnectionEnd::ConnectTimeOut, 0},
        {"silent", PeerBehaviour::Silent, {}, {.idle = 200ms}, ConnectionEnd::Idle, 0},
        {"talks for too long", PeerBehaviour::Trickle, steady, {.idle = 300ms, .lifetime = 700ms},
         ConnectionEnd::Lifetime, 0},
        {"more than the budget", PeerBehaviour::Endless, overBudget, {}, ConnectionEnd::OverBudget, 0},
        {"more than one connection may hold", PeerBehaviour::Endless, overCap, {}, ConnectionEnd::PendingCap, 0},
    };
    std::vector<std::uint16_t> ports;
    for (const Case& test : cases) {
        ports.push_back(Add(test.behaviour, test.tuning));
    }
    m_network.Start();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& test = cases[i];
        SCOPED_TRACE(test.name);
        auto budget = std::make_shared<InputBudget>(test.expected == ConnectionEnd::PendingCap
                                                        ? InputBudget::kDefaultBytes
                                                        : kBudget);
        Conversation conversation(m_cipher, budget, test.timeouts);
        ASSERT_EQ(conversation.connection.Open("127.0.0.1", ports[i], false),
                  PeerConnection::OpenResult::Connecting);
        ASSERT_TRUE(conversation.WaitForEnd());
        EXPECT_EQ(conversation.end, test.expected);
        EXPECT_EQ(conversation.lines.size(), test.lines);
        EXPECT_FALSE(conversation.connection.IsOpen());
        EXPECT_EQ(budget->HeldBytes(), 0U);
        EXPECT_LE(budget->PeakBytes(), budget->LimitBytes());
    }
}

// When the budget runs short, the connection holding the most is closed, not the one asking.
TEST_F(PeerConnectionTest, TheLargestHolderIsClosedForTheBudget)
{
    constexpr std::uint64_t kFirst = 600000;
    constexpr std::uint64_t kSecond = 500000;
    localnet::HostileTuning first;
    first.endlessCap = kFirst;
    localnet::HostileTuning second;
    second.trickleCap = kSecond;
    second.trickleBytesPerWrite = 20000;
    second.trickleInterval = 5ms;
    const std::uint16_t big = Add(PeerBehaviour::Endless, first);
    const std::uint16_t growing = Add(PeerBehaviour::Trickle, second);
    m_network.Start();

    auto budget = std::make_shared<InputBudget>(1000000);
    Conversation holder(m_cipher, budget, {});
    Conversation grower(m_cipher, budget, {});
    ASSERT_EQ(holder.connection.Open("127.0.0.1", big, false), PeerConnection::OpenResult::Connecting);
    ASSERT_TRUE(test::RunEventLoopUntil([&] { return holder.connection.PendingBytes() == kFirst; }, kWaitMs));
    ASSERT_EQ(grower.connection.Open("127.0.0.1", growing, false), PeerConnection::OpenResult::Connecting);
    ASSERT_TRUE(holder.WaitForEnd());
    EXPECT_EQ(holder.end, ConnectionEnd::OverBudget);
    ASSERT_TRUE(test::RunEventLoopUntil([&] { return grower.connection.PendingBytes() == kSecond; }, kWaitMs));
    EXPECT_TRUE(grower.connection.IsOpen());
    EXPECT_FALSE(grower.end.has_value());
    // The budget counts the memory the pending input takes, not its length.
    EXPECT_EQ(budget->HeldBytes(), grower.connection.PendingCapacity());
    EXPECT_GE(budget->HeldBytes(), kSecond);
    EXPECT_EQ(budget->Evictions(), 1U);
    EXPECT_LE(budget->PeakBytes(), budget->LimitBytes());
}

// A request many times what the socket takes at once reaches a peer that reads slowly whole,
// counted as it goes, and the peer's reply is read while the request is still going out.
TEST_F(PeerConnectionTest, ALongRequestGoesOutWholeWhileTheReplyIsRead)
{
    const localnet::FileDescriptor listener = localnet::OpenLoopbackSocket(0, true);
    const int small = 16 * 1024;
    ::setsockopt(listener.Get(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    const auto line = std::make_shared<const std::string>(
        channel::RequestLine(m_cipher, channel::FindRequest(1, std::string(1 << 20, 'a'), "me")));
    std::vector<std::string> lines;
    std::optional<ConnectionEnd> end;
    PeerConnection connection({
        .connected =
            [&] {
                ::setsockopt(connection.Socket(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
                connection.SendRequest(line);
            },
        .connectFailed = [&](ConnectionEnd why) { end = why; },
        .lineReceived = [&](const std::string& text) { lines.push_back(text); },
        .closed = [&](ConnectionEnd why) { end = why; },
    });
    ASSERT_EQ(connection.Open("127.0.0.1", localnet::LocalPort(listener.Get()), false),
              PeerConnection::OpenResult::Connecting);
    localnet::FileDescriptor peer;
    ASSERT_TRUE(test::RunEventLoopUntil(
        [&] {
            if (peer.Get() < 0) {
                peer = localnet::FileDescriptor(::accept4(listener.Get(), nullptr, nullptr, SOCK_NONBLOCK));
            }
            return peer.Get() >= 0;
        },
        kWaitMs));
    const std::string_view hello = "hello\r\n";
    ASSERT_EQ(::send(peer.Get(), hello.data(), hello.size(), MSG_NOSIGNAL), static_cast<ssize_t>(hello.size()));
    ASSERT_TRUE(test::RunEventLoopUntil([&] { return !lines.empty(); }, kWaitMs));
    EXPECT_EQ(lines, std::vector<std::string>{"hello"});
    EXPECT_GT(connection.BytesSent(), 0);
    EXPECT_LT(static_cast<std::size_t>(connection.BytesSent()), line->size()); // still going out

    std::string received;
    const bool whole = test::RunEventLoopUntil(
        [&] {
            char chunk[64 * 1024];
            const ssize_t count = ::recv(peer.Get(), chunk, sizeof chunk, 0);
            if (count > 0) {
                received.append(chunk, static_cast<std::size_t>(count));
            }
            return received.size() >= line->size();
        },
        kWaitMs * 3);
    ASSERT_TRUE(whole) << received.size() << " of " << line->size();
    EXPECT_TRUE(received == *line);
    EXPECT_EQ(static_cast<std::size_t>(connection.BytesSent()), line->size());
    EXPECT_FALSE(end.has_value());
}

} // namespace
