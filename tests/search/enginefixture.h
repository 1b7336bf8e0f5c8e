#pragma once

#include "tests/search/fakes.h"
#include "tools/velkan-localnet/network.h"
#include "channel/protectedtext.h"
#include "search/resultmodel.h"
#include "search/searchengine.h"
#include "channel/wirekey.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

// An engine searching a local network on 127.0.0.1, its timer and clock driven by hand.
namespace velkan::test {

inline constexpr int kWaitMs = 10000;

inline localnet::SharedFile File(std::string path, std::int64_t size = 100, std::int32_t flags = 0)
{
    return {.path = std::move(path), .date = "2004-01-02 10:11", .size = size, .flags = flags};
}

class SearchEngineTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        m_engine.reset();
        m_network.Stop();
    }

    std::uint16_t AddPeer(std::string nick, std::vector<localnet::SharedFile> files,
                          localnet::PeerBehaviour behaviour = localnet::PeerBehaviour::Normal,
                          std::int32_t speed = 100)
    {
        return m_network.AddPeer({.nick = std::move(nick), .speed = speed, .behaviour = behaviour,
                                  .files = std::move(files)});
    }

    search::SearchEngine& Engine(int replyTimeoutMs = 10000)
    {
        if (!m_engine) {
            m_network.Start();
            m_engine = std::make_unique<search::SearchEngine>(
                m_view, m_model, m_images,
                search::SearchSeams{
                    .appServer = {"127.0.0.1", m_network.AppServerPort(), replyTimeoutMs},
                    .ticks = &m_ticks,
                    .timer = &m_timer,
                    .resolver = m_resolver,
                    .limits = m_limits,
                });
            m_engine->Configure({.param = UserParam("tester")});
        }
        return *m_engine;
    }

    std::string UserParam(std::string_view userId, std::string_view userClass = "", int options = 0)
    {
        channel::BlowFish cipher;
        EXPECT_TRUE(cipher.Initialize(channel::kWireKey));
        const std::string plain = "x|" + std::string(userId) + "|c|d|e|" + std::string(userClass) +
                                  "|" + std::to_string(options) + "|0";
        return channel::EncryptToBase64(cipher, plain);
    }

    bool WaitForFanOut()
    {
        return QTest::qWaitFor([&] { return m_timer.IsActive(); }, kWaitMs);
    }

    // Ticks until the list is used up, letting connections progress between ticks, then waits
    // for every connection to end.
    bool RunFanOut()
    {
        if (!WaitForFanOut()) {
            return false;
        }
        QSignalSpy idle(m_engine.get(), &search::SearchEngine::searchIdle);
        while (m_timer.Tick() > 0) {
            QCoreApplication::processEvents();
        }
        // A real event loop, not a polling wait: a peer's long line is read one chunk per pass.
        return (m_engine->OpenPeerConnections() == 0 && m_engine->PendingReplies() == 0) || !idle.isEmpty() ||
               idle.wait(kWaitMs);
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (int row = 0; row < m_model.rowCount(); ++row) {
            names.push_back(m_model.CellText(row, 0) + ":" + m_model.CellText(row, 1));
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // A teardown that waited for the network would take seconds (the fetch's 10 s reply wait,
    // the 21 s connect time-out); this bound tells that apart from a busy machine's delays.
    static constexpr long kTeardownBoundMs = 1000;

    template <typename Action> static std::chrono::milliseconds Timed(Action action)
    {
        const auto start = std::chrono::steady_clock::now();
        action();
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                     start);
    }

    search::ConnectionLimits m_limits;
    search::HostResolver* m_resolver = nullptr; // the system's when not set
    localnet::Network m_network;
    RecordingView m_view;
    search::ResultModel m_model;
    FakeImages m_images;
    ManualTicks m_ticks;
    ManualTimer m_timer;
    std::unique_ptr<search::SearchEngine> m_engine;
};

class HostilePeersTest : public SearchEngineTest {
protected:
    std::uint16_t AddHostile(std::string nick, localnet::PeerBehaviour behaviour,
                             const localnet::HostileTuning& tuning = {})
    {
        return m_network.AddPeer({.nick = std::move(nick), .behaviour = behaviour, .tuning = tuning});
    }

    // Honest peers, each sharing one song; returns their rows as Names() shows them.
    std::vector<std::string> AddHonest(int count)
    {
        std::vector<std::string> rows;
        for (int i = 0; i < count; ++i) {
            const std::string nick = "honest" + std::to_string(i);
            AddPeer(nick, {File("C:\\share\\song" + std::to_string(i) + ".mp3")});
            rows.push_back(nick + ":C:\\share");
            rows.push_back(nick + ":song" + std::to_string(i) + ".mp3");
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

} // namespace velkan::test
