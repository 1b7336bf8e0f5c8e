#include "channel/blowfish.h"
#include "tools/velkan-localnet/network.h"
#include "search/serverinfoquery.h"
#include "channel/wirekey.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace velkan;

namespace {

class ServerInfoQueryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_cipher.Initialize(channel::kWireKey)); }
    void TearDown() override { m_network.Stop(); }

    channel::BlowFish m_cipher;
    localnet::Network m_network;
};

TEST_F(ServerInfoQueryTest, ShowsTheFourValuesOfTheAnswer)
{
    const std::uint16_t port = m_network.AddPeer(
        {.nick = "kim",
         .info = {.download1 = "3", .download2 = "10", .upload1 = "0", .upload2 = "5",
                  .fileCount = 1234, .totalBytes = 5368709120}});
    m_network.Start();
    search::ServerInfoQuery query(m_cipher, "127.0.0.1", port);
    QSignalSpy answered(&query, &search::ServerInfoQuery::answered);
    query.Start();
    EXPECT_EQ(m_network.PeerCounters(port).accepted, 0U); // the connect waits for its window
    ASSERT_TRUE(answered.wait(10000));
    const auto texts = answered[0][0].value<search::ServerInfoTexts>();
    EXPECT_EQ(texts.download, QStringLiteral("3/10"));
    EXPECT_EQ(texts.upload, QStringLiteral("0/5"));
    EXPECT_EQ(texts.count, QStringLiteral("1,234"));
    EXPECT_EQ(texts.size, QStringLiteral("5GB"));
    EXPECT_EQ(m_network.PeerCounters(port).requests, (std::vector<std::string>{"/sinf "}));
}

// Whoever waits for the window's values learns when there will be none, and why: an unreachable
// or wrong server shows nothing.
TEST_F(ServerInfoQueryTest, TheEndOfTheConversationAndWhyNoAnswerCame)
{
    struct Case {
        localnet::PeerBehaviour behaviour;
        search::ConnectionEnd end;
        int answers;
        std::optional<search::ServerInfoFailure> failure;
    };
    const std::vector<Case> cases = {
        {localnet::PeerBehaviour::Normal, search::ConnectionEnd::ClosedByPeer, 1, std::nullopt},
        {localnet::PeerBehaviour::Garbage, search::ConnectionEnd::ClosedByPeer, 0, search::ServerInfoFailure::Malformed},
        {localnet::PeerBehaviour::Hangup, search::ConnectionEnd::ClosedByPeer, 0, search::ServerInfoFailure::Closed},
        {localnet::PeerBehaviour::Refuse, search::ConnectionEnd::Refused, 0, search::ServerInfoFailure::Refused},
        // A full accept queue drops the connect; the short time-out gives up on it.
        {localnet::PeerBehaviour::Blackhole, search::ConnectionEnd::ConnectTimeOut, 0, search::ServerInfoFailure::Timeout},
    };
    std::vector<std::uint16_t> ports;
    for (const Case& test : cases) {
        ports.push_back(m_network.AddPeer({.nick = "kim", .behaviour = test.behaviour}));
    }
    m_network.Start();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(localnet::BehaviourName(cases[i].behaviour));
        search::ServerInfoQuery query(m_cipher, "127.0.0.1", ports[i],
                                      {.connectTimeout = std::chrono::milliseconds(200)});
        QSignalSpy answered(&query, &search::ServerInfoQuery::answered);
        QSignalSpy ended(&query, &search::ServerInfoQuery::ended);
        query.Start();
        ASSERT_TRUE(ended.wait(10000));
        EXPECT_EQ(ended.count(), 1);
        EXPECT_EQ(ended[0][0].value<search::ConnectionEnd>(), cases[i].end);
        EXPECT_EQ(answered.count(), cases[i].answers);
        EXPECT_EQ(query.Failure(), cases[i].failure);
        EXPECT_FALSE(query.IsConnected());
    }
}

TEST(ServerInfoFailureName, NamesOfTheRecords)
{
    using search::ServerInfoFailure;
    const std::vector<std::pair<ServerInfoFailure, std::string_view>> names = {
        {ServerInfoFailure::NoSuchRow, "no-such-row"}, {ServerInfoFailure::Refused, "refused"},
        {ServerInfoFailure::Closed, "closed"},         {ServerInfoFailure::Malformed, "malformed"},
        {ServerInfoFailure::Timeout, "timeout"},
    };
    for (const auto& [failure, name] : names) {
        EXPECT_EQ(search::ServerInfoFailureName(failure), name);
    }
}

TEST(ServerInfoTitle, NicknameThenTheLabel)
{
    EXPECT_EQ(search::ServerInfoTitle("\xC7\xD1"), QStringLiteral("한 서버 정보"));
}

} // namespace
