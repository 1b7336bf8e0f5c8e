#include "search/inputbudget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <map>
#include <string>
#include <thread>

using velkan::search::InputBudget;

namespace {

// Accounts by name on one budget, recording which of them were told to close.
class Holders {
public:
    explicit Holders(std::size_t limit) : m_budget(std::make_shared<InputBudget>(limit)) {}
    explicit Holders(std::shared_ptr<InputBudget> budget) : m_budget(std::move(budget)) {}

    InputBudget::Account& operator[](const std::string& name)
    {
        auto [it, added] = m_accounts.try_emplace(name, nullptr);
        if (added) {
            it->second = std::make_unique<InputBudget::Account>(
                m_budget, [this, name] { notified += name; }, [this, name] { dropped += name; });
        }
        return *it->second;
    }

    InputBudget& Budget() { return *m_budget; }

    std::string notified;
    std::string dropped;

private:
    std::shared_ptr<InputBudget> m_budget;
    std::map<std::string, std::unique_ptr<InputBudget::Account>> m_accounts;
};

TEST(InputBudget, TheLargestHolderGivesWayWhenTheTotalWouldPassTheLimit)
{
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::size_t>> before; // held in this order
        std::string grower;
        std::size_t grownTo;
        bool growerKept;
        std::string dropped; // the accounts closed, in order
    };
    const std::vector<Case> cases = {
        {"within the limit", {{"a", 40}, {"b", 30}}, "c", 30, true, ""},
        {"the largest other goes", {{"a", 60}, {"b", 30}}, "c", 20, true, "a"},
        {"the grower is the largest", {{"a", 40}, {"b", 30}}, "c", 50, false, ""},
        {"a tie takes the grower", {{"a", 50}, {"b", 10}}, "c", 50, false, ""},
        {"growing the largest takes it", {{"a", 60}, {"b", 30}}, "a", 80, false, ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Holders holders(100);
        for (const auto& [name, bytes] : test.before) {
            ASSERT_TRUE(holders[name].Hold(bytes));
        }
        EXPECT_EQ(holders[test.grower].Hold(test.grownTo), test.growerKept);
        EXPECT_EQ(holders.dropped, test.dropped);
        EXPECT_EQ(holders.notified, ""); // all on this thread: closed at once
        EXPECT_LE(holders.Budget().HeldBytes(), 100U);
        EXPECT_LE(holders.Budget().PeakBytes(), 100U);
        EXPECT_EQ(holders.Budget().Evictions(), test.dropped.size() + (test.growerKept ? 0 : 1));
    }
}

TEST(InputBudget, AnEvictedAccountHoldsNothingUntilItsConnectionCloses)
{
    Holders holders(100);
    ASSERT_TRUE(holders["a"].Hold(70));
    ASSERT_TRUE(holders["b"].Hold(40)); // a goes
    EXPECT_TRUE(holders["a"].Evicted());
    EXPECT_EQ(holders.Budget().HeldBytes(), 40U);
    // Bytes the evicted connection still reads before it closes are not let in.
    EXPECT_FALSE(holders["a"].Hold(1));
    EXPECT_EQ(holders.Budget().HeldBytes(), 40U);

    holders["a"].Release();
    EXPECT_FALSE(holders["a"].Evicted());
    EXPECT_TRUE(holders["a"].Hold(60));
    EXPECT_EQ(holders.Budget().HeldBytes(), 100U);
    holders["b"].Release();
    EXPECT_EQ(holders.Budget().HeldBytes(), 60U);
    // Shrinking always fits.
    EXPECT_TRUE(holders["a"].Hold(10));
    EXPECT_EQ(holders.Budget().HeldBytes(), 10U);
}

TEST(InputBudget, PanelsDoNotShareABudget)
{
    Holders first(100);
    Holders second(100);
    ASSERT_TRUE(first["a"].Hold(90));
    EXPECT_TRUE(second["a"].Hold(90));
    EXPECT_TRUE(first["b"].Hold(10));
    EXPECT_EQ(first.dropped + second.dropped, "");
}

// Two panels of one process (the web bridge's controls), each with a share of 60 bytes of a
// whole of 100.
TEST(InputBudget, SharesKeepToTheirOwnLimitAndTogetherToTheWholes)
{
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::size_t>> held; // in this order; p* in P, q* in Q
        bool lastKept;
        std::string dropped;
        std::size_t evictionsP;
        std::size_t evictionsQ;
    };
    const std::vector<Case> cases = {
        {"within both", {{"p1", 50}, {"q1", 40}}, true, "", 0, 0},
        {"the whole takes the largest of another share", {{"p1", 50}, {"q1", 40}, {"q2", 20}}, true, "p1", 1, 0},
        {"a share takes its own largest", {{"p1", 50}, {"q1", 10}, {"p2", 20}}, true, "p1", 1, 0},
        {"a share's grower goes first", {{"p1", 30}, {"q1", 30}, {"q2", 45}}, false, "", 0, 1},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        auto whole = std::make_shared<InputBudget>(100);
        Holders p(std::make_shared<InputBudget>(60, whole));
        Holders q(std::make_shared<InputBudget>(60, whole));
        bool kept = true;
        for (const auto& [name, bytes] : test.held) {
            kept = (name[0] == 'p' ? p : q)[name].Hold(bytes);
        }
        EXPECT_EQ(kept, test.lastKept);
        EXPECT_EQ(p.dropped + q.dropped, test.dropped);
        EXPECT_EQ(p.Budget().Evictions(), test.evictionsP);
        EXPECT_EQ(q.Budget().Evictions(), test.evictionsQ);
        EXPECT_EQ(whole->Evictions(), test.evictionsP + test.evictionsQ);
        EXPECT_EQ(whole->HeldBytes(), p.Budget().HeldBytes() + q.Budget().HeldBytes());
        EXPECT_LE(whole->PeakBytes(), 100U);
        EXPECT_LE(p.Budget().PeakBytes(), 60U);
        EXPECT_LE(q.Budget().PeakBytes(), 60U);
    }
}

// An account of another thread (the server-list fetch) is only told, never closed from here.
TEST(InputBudget, AnAccountOfAnotherThreadIsToldToClose)
{
    auto budget = std::make_shared<InputBudget>(100);
    std::promise<void> held;
    std::promise<void> done;
    std::atomic<int> told{0};
    std::atomic<int> droppedThere{0};
    bool evictedThere = false;
    std::thread fetch([&] {
        InputBudget::Account account(budget, [&] { ++told; }, [&] { ++droppedThere; });
        EXPECT_TRUE(account.Hold(80));
        held.set_value();
        done.get_future().wait();
        evictedThere = account.Evicted() && !account.Hold(1);
    });
    held.get_future().wait();
    int droppedHere = 0;
    InputBudget::Account panel(budget, [] {}, [&] { ++droppedHere; });
    EXPECT_TRUE(panel.Hold(30));
    done.set_value();
    fetch.join();
    EXPECT_EQ(told, 1);
    EXPECT_EQ(droppedThere, 0);
    EXPECT_EQ(droppedHere, 0);
    EXPECT_TRUE(evictedThere);
    EXPECT_EQ(budget->HeldBytes(), 30U);
}

} // namespace
