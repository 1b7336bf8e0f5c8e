#include "search/descriptorbudget.h"
#include "tests/search/fakes.h"
#include "tools/velkan-localnet/network.h"
#include "search/resultmodel.h"
#include "search/searchengine.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velkan;
using namespace std::chrono_literals;

namespace {

constexpr int kWaitMs = 10000;

int OpenDescriptors()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count - 1; // the iterator's own
}

// The local network in a process of its own, so that only the engine's descriptors count
// against this process's limit. It stops when this object goes.
class ForkedNetwork {
public:
    explicit ForkedNetwork(const std::function<void(localnet::Network&)>& populate)
    {
        int toParent[2];
        int fromParent[2];
        if (::pipe(toParent) != 0 || ::pipe(fromParent) != 0) {
            return;
        }
        m_child = ::fork();
        if (m_child == 0) {
            ::close(toParent[0]);
            ::close(fromParent[1]);
            int status = 1;
            try {
                localnet::Network network;
                populate(network);
                network.Start();
                const std::uint16_t port = network.AppServerPort();
                if (::write(toParent[1], &port, sizeof port) == sizeof port) {
                    char byte = 0;
                    while (::read(fromParent[0], &byte, 1) > 0) {
                    }
                    status = 0;
                }
                network.Stop();
            } catch (...) {
            }
            ::_exit(status);
        }
        ::close(toParent[1]);
        ::close(fromParent[0]);
        m_stop = fromParent[1];
        if (m_child > 0 && ::read(toParent[0], &m_port, sizeof m_port) != sizeof m_port) {
            m_port = 0;
        }
        ::close(toParent[0]);
    }

    ~ForkedNetwork()
    {
        if (m_stop >= 0) {
            ::close(m_stop);
        }
        if (m_child > 0) {
            ::waitpid(m_child, nullptr, 0);
        }
    }

    [[nodiscard]] std::uint16_t AppServerPort() const { return m_port; }

private:
    pid_t m_child = -1;
    int m_stop = -1;
    std::uint16_t m_port = 0;
};

// Lowers this process's soft limit of open descriptors for as long as it lives.
class SoftDescriptorLimit {
public:
    explicit SoftDescriptorLimit(rlim_t soft)
    {
        ::getrlimit(RLIMIT_NOFILE, &m_saved);
        rlimit lowered = m_saved;
        lowered.rlim_cur = soft;
        m_set = ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~SoftDescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &m_saved); }
    [[nodiscard]] bool Set() const { return m_set; }

private:
    rlimit m_saved{};
    bool m_set = false;
};

// Descriptors taken up until none is left, as a host busy with other work might.
class DescriptorHog {
public:
    DescriptorHog()
    {
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) {
            m_held.push_back(fd);
        }
    }
    ~DescriptorHog()
    {
        for (const int fd : m_held) {
            ::close(fd);
        }
    }

private:
    std::vector<int> m_held;
};

// Silent peers hold slots, the process has few descriptors and, for a while, none at all: every
// honest peer is still asked, and an entry is counted only once it has its connection.
TEST(DescriptorLimit, EveryHonestPeerIsAskedAndNothingIsCountedBeforeItsConnection)
{
    constexpr int kSlots = 6;
    constexpr int kServers = 32;
    ForkedNetwork network([](localnet::Network& peers) {
        const auto add = [&](const std::string& prefix, int count, localnet::PeerBehaviour behaviour) {
            for (int i = 0; i < count; ++i) {
                peers.AddPeer({.nick = prefix + std::to_string(i),
                               .behaviour = behaviour,
                               .files = {{.path = "C:\\a\\song.mp3", .date = "2004-01-02 10:11", .size = 10}}});
            }
        };
        add("mute", 8, localnet::PeerBehaviour::Silent);
        add("kim", 10, localnet::PeerBehaviour::Normal);
        add("hush", 4, localnet::PeerBehaviour::Silent);
        add("lee", 10, localnet::PeerBehaviour::Normal);
    });
    ASSERT_NE(network.AppServerPort(), 0);
    std::vector<std::string> expected;
    for (const std::string prefix : {"kim", "lee"}) {
        for (int i = 0; i < 10; ++i) {
            expected.push_back(prefix + std::to_string(i) + ":C:\\a");
            expected.push_back(prefix + std::to_string(i) + ":song.mp3");
        }
    }
    std::sort(expected.begin(), expected.end());

    test::RecordingView view;
    search::ResultModel model;
    test::FakeImages images;
    test::ManualTicks ticks;
    test::ManualTimer timer;
    search::ConnectionLimits limits;
    limits.peerIdle = 300ms;
    search::SearchEngine engine(view, model, images,
                                {.appServer = {"127.0.0.1", network.AppServerPort(), 10000},
                                 .ticks = &ticks,
                                 .timer = &timer,
                                 .limits = limits});
    QSignalSpy idle(&engine, &search::SearchEngine::searchIdle);

    const SoftDescriptorLimit limit(static_cast<rlim_t>(OpenDescriptors() + search::kDescriptorMargin + kSlots));
    ASSERT_TRUE(limit.Set());
    engine.StartSearch("song");
    ASSERT_TRUE(QTest::qWaitFor([&] { return timer.IsActive(); }, kWaitMs));
    EXPECT_EQ(engine.PeerSlotCount(), kSlots);
    ASSERT_EQ(timer.Tick(3), 3);
    EXPECT_EQ(engine.ContactedCount(), 3);
    const std::vector<int> positions = view.positions;
    {
        // Free slots but no descriptor: the ticks pass, the entry waits and nothing is counted.
        // (Only for these ticks: the sanitizers themselves need a descriptor now and then.)
        const DescriptorHog hog;
        EXPECT_EQ(timer.Tick(2), 2);
        EXPECT_EQ(engine.ContactedCount(), 3);
        EXPECT_EQ(engine.OpenPeerConnections(), 3);
        EXPECT_EQ(view.positions, positions);
    }
    // Silent peers hold slots until they are let go.
    const QDeadlineTimer deadline(30s);
    while (timer.Tick() > 0 && !deadline.hasExpired()) {
        QTest::qWait(5);
    }
    EXPECT_FALSE(timer.IsActive());
    ASSERT_TRUE(!idle.isEmpty() || idle.wait(kWaitMs));
    EXPECT_EQ(engine.ContactedCount(), kServers);
    EXPECT_EQ(view.positions.back(), 100);
    std::vector<std::string> names;
    for (int row = 0; row < model.rowCount(); ++row) {
        names.push_back(model.CellText(row, 0) + ":" + model.CellText(row, 1));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
}

TEST(DescriptorLimit, SlotsFollowTheDescriptorsLeft)
{
    const int open = OpenDescriptors();
    struct Case {
        int spare; // over the open descriptors and the margin
        int wanted;
        int expected;
    };
    for (const Case& test : std::vector<Case>{{100, 500, 100}, {100, 50, 50}, {1, 500, 1}, {-10, 500, 1}}) {
        SCOPED_TRACE(test.spare);
        const SoftDescriptorLimit limit(static_cast<rlim_t>(open + search::kDescriptorMargin + test.spare));
        ASSERT_TRUE(limit.Set());
        EXPECT_EQ(search::ConnectionsWithinDescriptorLimit(test.wanted), test.expected);
    }
}

} // namespace
