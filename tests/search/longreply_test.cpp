// Replies longer than one turn's share of items: listed over several turns of the event loop,
// in arrival order, whole even when a stop comes between turns, with the search at rest and
// the server's outcome settled only after the last part; a new search drops what is pending.

#include "tests/search/enginefixture.h"
#include "search/resultmodel.h"
#include "search/searchengine.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace velkan;
using search::SearchEngine;

namespace {

using test::File;
using test::kWaitMs;

// Two and a half turns' worth of items, five to a folder: six rows for five items.
constexpr int kLongReplyItems = static_cast<int>(SearchEngine::kItemsPerTurn) * 5 / 2;

std::vector<localnet::SharedFile> LongShare(const std::string& drive, const std::string& extension)
{
    std::vector<localnet::SharedFile> files;
    for (int i = 0; i < kLongReplyItems; ++i) {
        files.push_back(File(drive + ":\\f" + std::to_string(i / 5) + "\\n" + std::to_string(i) + extension));
    }
    return files;
}

// What a list of the share gives: a folder row before each run of five files.
std::vector<std::string> RowsOf(const std::string& nick, const std::vector<localnet::SharedFile>& files)
{
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i].path;
        const std::size_t slash = path.rfind('\\');
        if (i % 5 == 0) {
            rows.push_back(nick + ":" + path.substr(0, slash));
        }
        rows.push_back(nick + ":" + path.substr(slash + 1));
    }
    return rows;
}

class LongReplyTest : public test::SearchEngineTest {
protected:
    // The rows in list order, as "nick:name".
    std::vector<std::string> Listed() const
    {
        std::vector<std::string> rows;
        for (int row = 0; row < m_model.rowCount(); ++row) {
            rows.push_back(m_model.CellText(row, 0) + ":" + m_model.CellText(row, 1));
        }
        return rows;
    }

    // From now on, the row count of each insertion into the list.
    void RecordInsertions()
    {
        QObject::connect(&m_model, &QAbstractItemModel::rowsInserted, &m_model,
                         [this](const QModelIndex&, int first, int last) { m_insertions.push_back(last - first + 1); });
    }

    std::vector<int> m_insertions;
};

TEST_F(LongReplyTest, LongRepliesGoInOverSeveralTurnsEachWholeAndInArrivalOrder)
{
    const auto kim = LongShare("C", ".mp3");
    const auto lee = LongShare("D", ".mp3");
    AddPeer("kim", kim);
    AddPeer("lee", lee);
    SearchEngine& engine = Engine();
    RecordInsertions();

    engine.StartSearch("mp3");
    ASSERT_TRUE(RunFanOut());
    ASSERT_EQ(engine.PendingReplies(), 0U);

    // Each reply's rows in one run, in the order its server sent them: the list is one reply's
    // rows followed by the other's.
    const std::vector<std::string> kimRows = RowsOf("kim", kim);
    const std::vector<std::string> leeRows = RowsOf("lee", lee);
    const std::vector<std::string> listed = Listed();
    ASSERT_EQ(listed.size(), kimRows.size() + leeRows.size());
    const bool kimFirst = listed.front().starts_with("kim:");
    std::vector<std::string> expected = kimFirst ? kimRows : leeRows;
    const std::vector<std::string>& second = kimFirst ? leeRows : kimRows;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(engine.FoundCount(), static_cast<int>(listed.size()));
    EXPECT_EQ(m_view.foundTexts.back(), QString::number(listed.size()) + QStringLiteral(" 개"));

    // No insertion took more than one turn's share of items (and their folder rows).
    ASSERT_GE(m_insertions.size(), 6U);
    for (const int size : m_insertions) {
        EXPECT_LE(size, static_cast<int>(SearchEngine::kItemsPerTurn * 6 / 5));
    }
}

TEST_F(LongReplyTest, AStopBetweenTurnsListsTheReplyWholeAndRestAndSettleWaitForItsLastPart)
{
    const auto kim = LongShare("C", ".mp3");
    AddPeer("kim", kim);
    SearchEngine& engine = Engine();
    const int full = static_cast<int>(RowsOf("kim", kim).size());

    // The stop comes from a queued call: after the first part, before the next turn.
    int rowsAtStop = -1;
    QObject::connect(
        &m_model, &QAbstractItemModel::rowsInserted, &engine,
        [&] {
            if (rowsAtStop < 0) {
                rowsAtStop = m_model.rowCount();
                engine.OnCancel();
            }
        },
        Qt::QueuedConnection);
    std::vector<int> rowsAtIdle;
    QObject::connect(&engine, &SearchEngine::searchIdle, [&] { rowsAtIdle.push_back(m_model.rowCount()); });
    std::vector<search::ServerOutcome> settled;
    std::vector<int> rowsAtSettle;
    QObject::connect(&engine, &SearchEngine::outcomeSettled, [&](const search::ServerOutcome& outcome) {
        settled.push_back(outcome);
        rowsAtSettle.push_back(m_model.rowCount());
    });

    engine.StartSearch("mp3");
    ASSERT_TRUE(WaitForFanOut());
    m_timer.Tick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rowsAtIdle.empty(); }, kWaitMs));

    ASSERT_GT(rowsAtStop, 0);
    EXPECT_LT(rowsAtStop, full); // the stop did come between the parts
    EXPECT_EQ(Listed(), RowsOf("kim", kim));
    EXPECT_EQ(rowsAtIdle, std::vector<int>{full});
    ASSERT_EQ(settled.size(), 1U);
    EXPECT_EQ(rowsAtSettle, std::vector<int>{full});
    EXPECT_EQ(settled[0].findLines, 1);
    EXPECT_EQ(settled[0].items.items, kLongReplyItems);
    EXPECT_EQ(settled[0].items.rows, full);
    EXPECT_EQ(settled[0].outcome, search::Outcome::Answered);
}

TEST_F(LongReplyTest, ANewSearchDropsWhatIsPending)
{
    std::vector<localnet::SharedFile> share = LongShare("C", ".mp3");
    share.push_back(File("C:\\other\\notes.txt"));
    AddPeer("kim", share);
    SearchEngine& engine = Engine();

    // The new search starts between the first part of the long reply and the next.
    bool restarted = false;
    QObject::connect(
        &m_model, &QAbstractItemModel::rowsInserted, &engine,
        [&] {
            if (!restarted) {
                restarted = true;
                engine.StartSearch("txt"); // the list is reused: the fan-out starts again at once
            }
        },
        Qt::QueuedConnection);
    engine.StartSearch("mp3");
    ASSERT_TRUE(WaitForFanOut());
    m_timer.Tick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return restarted; }, kWaitMs));
    EXPECT_EQ(engine.PendingReplies(), 0U);
    EXPECT_EQ(m_model.rowCount(), 0);

    ASSERT_TRUE(RunFanOut());
    EXPECT_EQ(Listed(), (std::vector<std::string>{"kim:C:\\other", "kim:notes.txt"}));
    EXPECT_EQ(engine.FoundCount(), 2);
}

} // namespace

// Replies that come faster than the turns list them cannot pile up: past the limit on waiting
// bytes, what waits is listed whole at once, so nothing is left waiting once the handler returns.
TEST_F(LongReplyTest, WaitingRepliesNeverHoldMoreThanTheLimit)
{
    const auto kim = LongShare("C", ".mp3");
    AddPeer("kim", kim);
    m_limits.waitingReplyBytes = 1;
    SearchEngine& engine = Engine();
    std::vector<std::size_t> waitingAfterHandlers;
    QObject::connect(
        &m_model, &QAbstractItemModel::rowsInserted, &engine,
        [&] { waitingAfterHandlers.push_back(engine.WaitingReplyBytes()); }, Qt::QueuedConnection);

    engine.StartSearch("mp3");
    ASSERT_TRUE(RunFanOut());
    EXPECT_EQ(Listed(), RowsOf("kim", kim));
    ASSERT_FALSE(waitingAfterHandlers.empty());
    for (const std::size_t waiting : waitingAfterHandlers) {
        EXPECT_LE(waiting, m_limits.waitingReplyBytes);
    }
}
