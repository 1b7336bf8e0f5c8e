#include "search/connectionend.h"
#include "tests/search/enginefixture.h"
#include "search/hostresolver.h"

#include <QTimer>

#include <mutex>
#include <netdb.h>
#include <thread>

using namespace velkan;
using search::LookupAnswer;
using search::SearchEngine;

namespace {

using test::kWaitMs;

// A resolver that answers only when the test says so, or never. Asked on any thread.
class HeldResolver final : public search::HostResolver {
public:
    void Lookup(const std::string& name, search::LookupReply reply) override
    {
        const std::lock_guard lock(m_mutex);
        asked.emplace_back(name, std::move(reply));
    }

    [[nodiscard]] int TimesAsked(const std::string& name) const
    {
        const std::lock_guard lock(m_mutex);
        return static_cast<int>(std::ranges::count(asked, name, &std::pair<std::string, search::LookupReply>::first));
    }
    void Answer(const std::string& name, const LookupAnswer& answer) const
    {
        const std::lock_guard lock(m_mutex);
        for (const auto& [askedName, reply] : asked) {
            if (askedName == name) {
                reply.Deliver(answer);
            }
        }
    }

    std::vector<std::pair<std::string, search::LookupReply>> asked;

private:
    mutable std::mutex m_mutex;
};

LookupAnswer Loopback()
{
    in_addr address{};
    address.s_addr = htonl(INADDR_LOOPBACK);
    return {.address = address};
}

class HostLookupTest : public test::SearchEngineTest {
protected:
    // Long enough for the test to answer some lookups first on a busy machine.
    static constexpr int kLookupMs = 1000;

    HostLookupTest()
    {
        m_resolver = &m_held;
        m_limits.hostLookup = std::chrono::milliseconds(kLookupMs);
    }

    // Takes every entry of the list, one per tick.
    void TakeEveryEntry(SearchEngine& engine, std::size_t entries)
    {
        ASSERT_TRUE(WaitForFanOut());
        while (m_timer.Tick() > 0) {
            QCoreApplication::processEvents();
        }
        ASSERT_EQ(engine.ContactedCount(), static_cast<int>(entries));
    }

    static search::ServerOutcome OutcomeOf(const std::vector<search::ServerOutcome>& outcomes,
                                           const std::string& nick)
    {
        const auto found = std::ranges::find(outcomes, nick, &search::ServerOutcome::nick);
        return found == outcomes.end() ? search::ServerOutcome{.nick = "missing " + nick} : *found;
    }

    HeldResolver m_held;
};

// Host names are looked up while the window goes on with its work; each is asked for once
// however many entries name it, each entry waits for its own answer or its time-out, and the
// record says what became of the lookup and which address was contacted.
TEST_F(HostLookupTest, EntriesWaitForTheirNamesWithoutHoldingUpTheWindow)
{
    const std::uint16_t kim = AddPeer("kim", {test::File("C:\\a\\kim.mp3")});
    const std::uint16_t lee = AddPeer("lee", {test::File("C:\\a\\lee.mp3")});
    const std::string list = "n1,never.test,9,1|n2,never.test,9,1|late,late.test," + std::to_string(lee) +
                             ",1|bad,bad.test,9,1|kim,127.0.0.1," + std::to_string(kim) + ",1";
    m_network.ServeScript({.pieces = {list + "\r\n"}});
    SearchEngine& engine = Engine();
    engine.StartSearch("mp3");
    TakeEveryEntry(engine, 5);
    EXPECT_EQ(m_view.positions.back(), 100); // the entries moved the progress as they were taken
    EXPECT_EQ(m_held.TimesAsked("never.test"), 1);
    EXPECT_EQ(m_held.asked.size(), 3U);

    bool posted = false;
    QTimer::singleShot(0, [&] { posted = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return posted; }, kWaitMs));
    for (const char* nick : {"n1", "n2", "late", "bad"}) {
        EXPECT_EQ(OutcomeOf(engine.Outcomes(), nick).outcome, search::Outcome::StillOpen) << nick;
    }
    EXPECT_GE(engine.OpenPeerConnections(), 4);
    m_held.Answer("late.test", Loopback());
    m_held.Answer("bad.test", {.error = search::LookupError(EAI_NONAME)});

    QSignalSpy idle(&engine, &SearchEngine::searchIdle);
    ASSERT_TRUE(idle.wait(kWaitMs));
    const std::vector<search::ServerOutcome> outcomes = engine.Outcomes();
    for (const char* nick : {"n1", "n2"}) {
        const search::ServerOutcome outcome = OutcomeOf(outcomes, nick);
        EXPECT_EQ(outcome.outcome, search::Outcome::Refused) << nick;
        EXPECT_EQ(search::ErrorText(outcome.error), "host lookup timed out") << nick;
        EXPECT_EQ(outcome.address, "") << nick;
        EXPECT_GE(outcome.closeMs, kLookupMs) << nick;
    }
    const search::ServerOutcome bad = OutcomeOf(outcomes, "bad");
    EXPECT_EQ(bad.outcome, search::Outcome::Refused);
    EXPECT_EQ(search::ErrorText(bad.error), gai_strerror(EAI_NONAME));
    const search::ServerOutcome late = OutcomeOf(outcomes, "late");
    EXPECT_EQ(late.outcome, search::Outcome::Answered);
    EXPECT_EQ(late.host, "late.test");
    EXPECT_EQ(late.address, "127.0.0.1");
    EXPECT_EQ(OutcomeOf(outcomes, "kim").address, "127.0.0.1");
    EXPECT_EQ(m_network.PeerCounters(lee).requests.size(), 1U);
    EXPECT_EQ(m_model.rowCount(), 4);
}

// A search replaced or stopped, or an engine destroyed, abandons its lookups at once: nothing
// waits for them, and an answer that comes afterwards reaches nobody.
TEST_F(HostLookupTest, AbandonedLookupsAreNeitherWaitedForNorAnswered)
{
    m_network.ServeScript({.pieces = {"a,one.test,9,1|b,two.test,9,1\r\n"}});
    SearchEngine& engine = Engine();
    engine.StartSearch("x");
    TakeEveryEntry(engine, 2);
    ASSERT_EQ(m_held.asked.size(), 2U);
    engine.OnCancel();
    EXPECT_TRUE(m_held.asked[0].second.Abandoned());
    EXPECT_EQ(engine.OpenPeerConnections(), 0);
    m_held.Answer("one.test", Loopback()); // too late: nothing happens

    engine.StartSearch("y"); // the list is reused, and its names are asked for afresh
    TakeEveryEntry(engine, 2);
    ASSERT_EQ(m_held.asked.size(), 4U);
    EXPECT_FALSE(m_held.asked[3].second.Abandoned());
    EXPECT_LT(Timed([&] { m_engine.reset(); }).count(), kTeardownBoundMs);
    EXPECT_TRUE(m_held.asked[3].second.Abandoned());
    m_held.Answer("two.test", Loopback());
    QCoreApplication::processEvents();
}

// The list's own server is looked up the same way, off the window's thread.
TEST_F(HostLookupTest, TheServerListFetchLooksItsServerUp)
{
    struct Case {
        std::optional<LookupAnswer> answer;
        bool ok;
        std::string error;
    };
    const Case cases[] = {
        {Loopback(), true, ""},
        {std::nullopt, false, "host lookup timed out"},
        {LookupAnswer{.error = search::LookupError(EAI_AGAIN)}, false, gai_strerror(EAI_AGAIN)},
    };
    m_network.ServeScript({.pieces = {"a,127.0.0.1,9,1\r\n"}});
    m_network.Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        HeldResolver resolver;
        search::ResultModel model;
        SearchEngine engine(m_view, model, m_images,
                            {.appServer = {"list.test", m_network.AppServerPort(), 10000},
                             .ticks = &m_ticks,
                             .timer = &m_timer,
                             .resolver = &resolver,
                             .limits = m_limits});
        QSignalSpy fetched(&engine, &SearchEngine::serverListFetched);
        engine.StartSearch("x");
        if (c.answer) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return resolver.TimesAsked("list.test") == 1; }, kWaitMs));
            // Answered on another thread, as the system's resolver does.
            std::thread([&] { resolver.Answer("list.test", *c.answer); }).join();
        }
        ASSERT_TRUE(fetched.count() == 1 || fetched.wait(kWaitMs));
        EXPECT_EQ(fetched[0][0].toBool(), c.ok);
        EXPECT_EQ(search::ErrorText(engine.Fetch().figures.error), c.error);
        EXPECT_EQ(resolver.TimesAsked("list.test"), 1);
    }
}

} // namespace
