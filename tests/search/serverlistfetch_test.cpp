#include "channel/blowfish.h"
#include "tests/search/fakes.h"
#include "tools/velkan-localnet/network.h"
#include "search/peerconnection.h"
#include "channel/peerprotocol.h"
#include "search/serverlistfetch.h"
#include "tools/velkan-localnet/socketutil.h"
#include "channel/wirekey.h"

#include <gtest/gtest.h>

#include <future>

using namespace velkan;
using namespace std::chrono_literals;
using search::ConnectionEnd;
using search::InputBudget;
using search::ServerListFetch;

namespace {

constexpr int kWaitMs = 10000;

class ServerListFetchTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_cipher.Initialize(channel::kWireKey)); }
    void TearDown() override
    {
        m_fetch.reset();
        m_network.Stop();
    }

    void Fetch(std::uint16_t port, ServerListFetch::Settings settings)
    {
        m_fetch = std::make_unique<ServerListFetch>(
            search::AppServerEndpoint{"127.0.0.1", port, 10000}, channel::ListRequest(1), m_cipher, 0,
            std::move(settings), [this](ServerListFetch::Result result) { m_result.set_value(std::move(result)); });
    }

    // Waits for the fetch's result with the event loop running, so the panel's own
    // connections go on meanwhile.
    std::optional<ServerListFetch::Result> Result()
    {
        std::future<ServerListFetch::Result> future = m_result.get_future();
        const auto ready = [&] { return future.wait_for(0s) == std::future_status::ready; };
        if (!test::RunEventLoopUntil(ready, kWaitMs)) {
            return std::nullopt;
        }
        return future.get();
    }

    channel::BlowFish m_cipher;
    localnet::Network m_network;
    std::promise<ServerListFetch::Result> m_result;
    std::unique_ptr<ServerListFetch> m_fetch;
};

TEST_F(ServerListFetchTest, AnUnansweredConnectGivesUpAfterItsTimeOut)
{
    const localnet::FileDescriptor listener = localnet::OpenLoopbackSocket(0, true, 0);
    const std::vector<localnet::FileDescriptor> fillers = localnet::FillAcceptQueue(listener.Get());
    Fetch(localnet::LocalPort(listener.Get()), {.connectTimeout = 200ms});
    const auto result = Result();
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->ok);
    EXPECT_EQ(result->end, ConnectionEnd::ConnectTimeOut);
}

TEST_F(ServerListFetchTest, AReplyLargerThanTheBudgetEndsTheFetch)
{
    m_network.ServeScript({.pieces = {"a," + std::string(700000, 'x'), ",1,1\r\n"}, .pause = 5s});
    m_network.Start();
    auto budget = std::make_shared<InputBudget>(500000);
    Fetch(m_network.AppServerPort(), {.budget = budget});
    const auto result = Result();
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->ok);
    EXPECT_EQ(result->end, ConnectionEnd::OverBudget);
    EXPECT_LE(budget->PeakBytes(), 500000U);
}

// The fetch holds the most when a peer on the panel's thread needs room: the fetch, on its own
// thread, is the one that gives way.
TEST_F(ServerListFetchTest, TheFetchGivesWayToAPeerWhenItHoldsTheMost)
{
    constexpr std::size_t kFetchHolds = 600000;
    constexpr std::uint64_t kPeerHolds = 500000;
    m_network.ServeScript({.pieces = {std::string(kFetchHolds, 'x'), "\r\n"}, .pause = 10s});
    localnet::HostileTuning tuning;
    tuning.endlessCap = kPeerHolds;
    const std::uint16_t peer = m_network.AddPeer(
        {.nick = "endless", .behaviour = localnet::PeerBehaviour::Endless, .tuning = tuning});
    m_network.Start();
    auto budget = std::make_shared<InputBudget>(1000000);
    Fetch(m_network.AppServerPort(), {.budget = budget});
    ASSERT_TRUE(test::RunEventLoopUntil([&] { return budget->HeldBytes() >= kFetchHolds; }, kWaitMs));

    std::optional<ConnectionEnd> peerEnd;
    search::PeerConnection connection(
        {.connected = [&] { connection.SendRequest(m_cipher, channel::FindRequest(1, "x", "me")); },
         .connectFailed = [&](ConnectionEnd why) { peerEnd = why; },
         .lineReceived = [](const std::string&) {},
         .closed = [&](ConnectionEnd why) { peerEnd = why; }},
        budget);
    ASSERT_EQ(connection.Open("127.0.0.1", peer, false), search::PeerConnection::OpenResult::Connecting);
    const auto result = Result();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->end, ConnectionEnd::OverBudget);
    ASSERT_TRUE(test::RunEventLoopUntil([&] { return connection.PendingBytes() == kPeerHolds; }, kWaitMs));
    EXPECT_FALSE(peerEnd.has_value());
    EXPECT_LE(budget->PeakBytes(), budget->LimitBytes());
}

} // namespace
